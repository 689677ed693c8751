// The window's children: the panel picture with its frame, the meters, the text pane and
// the two buttons, inside the client area and clear of each other.
#include "check/check_layout.h"

#include <algorithm>
#include <cstdint>

#include "base/steps.h"
#include "check/model_check.h"
#include "config/settings_schema.h"

namespace {

// The station sizes its window from Width and Height as AdjustWindowRect gives them, with
// the adjusted right and bottom edges taken as the size: the client area is smaller than
// Width by one frame, and than Height by a frame, the caption and the menu bar. These are
// the figures of Windows 10 and 11 at 100 % scale, the largest of the usual desktops.
constexpr int kFrame = 8;
constexpr int kCaption = 23;
constexpr int kMenu = 20;

struct Child {
  std::string name;  // as findings name it
  const SettingKey& setting;
  ControlRect rect;
};

bool isEmpty(const ControlRect& r) {
  return r.width <= 0 || r.height <= 0;
}

bool hasVideo(const ModelCheck& model) {
  const IniSectionLines* video = findSection(model.ini, kVideoSection);
  if (video == nullptr) {
    return false;
  }
  for (const IniLine& line : video->lines) {
    if (!line.value.empty()) {
      return true;
    }
  }
  return false;
}

std::string edges(const ControlRect& r) {
  return std::to_string(r.x) + "," + std::to_string(r.y) + " to " + std::to_string(rightEdge(r)) +
         "," + std::to_string(bottomEdge(r));
}

}  // namespace

void checkLayout(ModelCheck& model) {
  const Settings& s = model.loaded;
  const int64_t clientWidth = int64_t{s.width} - kFrame;
  const int64_t clientHeight = int64_t{s.height} - kFrame - kCaption - kMenu;

  std::vector<Child> children;
  if (model.off.loaded) {
    // The panel is drawn with a one-pixel black frame all round.
    children.push_back(
        {"the panel picture",
         settingKeyOf(&Settings::bitmapLeft),
         {std::max(s.bitmapLeft, INT32_MIN + 1) - 1, std::max(s.bitmapTop, INT32_MIN + 1) - 1,
          model.off.width + 2, model.off.height + 2}});
  }
  if (model.meterOff.loaded && stepEnabled(model, kStepAudioIn)) {
    children.push_back({"the meters",
                        settingKeyOf(&Settings::meterLeft),
                        {s.meterLeft, s.meterTop, 40, model.meterOff.height}});
  }
  const SettingKey& continueKey = settingKeyOf(&Settings::continueButton);
  for (ControlRect Settings::*pane :
       {&Settings::textWindow, &Settings::videoButton, &Settings::continueButton}) {
    const SettingKey& key = settingKeyOf(pane);
    if (!isEmpty(s.*pane)) {
      children.push_back({key.key, key, s.*pane});
      continue;
    }
    if (pane == &Settings::continueButton) {
      addFinding(model, Severity::Error, "child-empty", key.section, key.key,
                 "the button has no size: the operator cannot start the run");
    } else if (pane == &Settings::textWindow) {
      addFinding(model, Severity::Warning, "child-empty", key.section, key.key,
                 "the text pane has no size: the instructions never show");
    } else if (hasVideo(model)) {
      addFinding(model, Severity::Warning, "child-empty", key.section, key.key,
                 "the button has no size, though [video] names videos");
    }
  }

  const std::string client = std::to_string(clientWidth) + " x " + std::to_string(clientHeight);
  for (const Child& child : children) {
    const ControlRect& r = child.rect;
    if (r.x >= 0 && r.y >= 0 && rightEdge(r) <= clientWidth && bottomEdge(r) <= clientHeight) {
      continue;
    }
    const bool unreachable =
        &child.setting == &continueKey &&
        (r.x >= clientWidth || r.y >= clientHeight || rightEdge(r) <= 0 || bottomEdge(r) <= 0);
    addFinding(model, unreachable ? Severity::Error : Severity::Warning, "outside-client",
               child.setting.section, child.setting.key,
               child.name + " (" + edges(r) + ") reaches past the client area of a " +
                   std::to_string(s.width) + " x " + std::to_string(s.height) + " window (about " +
                   client + ")");
  }
  for (size_t i = 0; i < children.size(); ++i) {
    for (size_t j = i + 1; j < children.size(); ++j) {
      if (overlaps(children[i].rect, children[j].rect)) {
        addFinding(model, Severity::Warning, "child-overlap", children[j].setting.section,
                   children[j].setting.key,
                   children[j].name + " (" + edges(children[j].rect) + ") overlaps " +
                       children[i].name + " (" + edges(children[i].rect) + ")");
      }
    }
  }
}
