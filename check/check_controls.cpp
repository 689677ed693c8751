// Every control's rectangle: a positive size, inside the panel picture, and clear of the
// other controls shown on the same page.
#include "check/check_controls.h"

#include <cstdint>

#include "base/steps.h"
#include "check/model_check.h"
#include "midi/control_map.h"

namespace {

// Bit per page on which a control is under test: step 3 (or 4) pages from bit 0, step 5
// pages from bit 32.
std::vector<uint64_t> pageMasks(const ModelCheck& model, bool note) {
  std::vector<uint64_t> masks(kControlCount, 0);
  for (const StepView& step : model.steps) {
    if ((step.step == kStepControllerTest) == note) {
      continue;
    }
    const int base = step.step == kStepNoteRxTest ? 32 : 0;
    for (size_t p = 0; p < step.pages.size(); ++p) {
      for (int index : step.pages[p].underTest) {
        masks[index] |= uint64_t{1} << (base + p);
      }
    }
  }
  return masks;
}

std::string pageOfBit(const ModelCheck& model, bool note, int bit) {
  const int wanted = bit >= 32 ? kStepNoteRxTest : (note ? kStepNoteTest : kStepControllerTest);
  for (const StepView& step : model.steps) {
    if (step.step == wanted) {
      return step.pages[bit % 32].key;
    }
  }
  return "";
}

int lowestBit(uint64_t bits) {
  int bit = 0;
  while ((bits & 1) == 0) {
    bits >>= 1;
    ++bit;
  }
  return bit;
}

void checkKind(ModelCheck& model, bool note) {
  const int panelWidth = model.off.width, panelHeight = model.off.height;
  std::vector<int> shown;
  for (int i = 0; i < kControlCount; ++i) {
    if (!isDefined(note, i)) {
      continue;
    }
    const ControlRect& r = rectOf(note, i);
    if (r.width <= 0 || r.height <= 0) {
      addControlFinding(model, Severity::Error, "rect-size", note, i,
                        "rectangle " + rectText(r) + " has no area: the control never shows");
      continue;
    }
    shown.push_back(i);
    if (!model.off.loaded) {
      continue;
    }
    const bool inside =
        r.x >= 0 && r.y >= 0 && rightEdge(r) <= panelWidth && bottomEdge(r) <= panelHeight;
    if (!inside) {
      const bool away =
          r.x >= panelWidth || r.y >= panelHeight || rightEdge(r) <= 0 || bottomEdge(r) <= 0;
      addControlFinding(
          model, Severity::Error, "rect-outside", note, i,
          "rectangle " + rectText(r) +
              (away ? " lies outside the panel picture (" : " reaches past the panel picture (") +
              std::to_string(panelWidth) + " x " + std::to_string(panelHeight) + ")");
    }
  }
  const std::vector<uint64_t> masks = pageMasks(model, note);
  for (size_t b = 0; b < shown.size(); ++b) {
    const int later = shown[b];
    for (size_t a = 0; a < b; ++a) {
      const int earlier = shown[a];
      const uint64_t together = masks[earlier] & masks[later];
      if (together == 0 || !overlaps(rectOf(note, earlier), rectOf(note, later))) {
        continue;
      }
      addControlFinding(model, Severity::Warning, "rect-overlap", note, later,
                        "rectangle " + rectText(rectOf(note, later)) + " overlaps " +
                            controlAddress(note, earlier) + " (" + controlKey(earlier) + ", line " +
                            std::to_string(controlLine(model, note, earlier)) + ") on page " +
                            pageOfBit(model, note, lowestBit(together)));
    }
  }
}

}  // namespace

void checkControls(ModelCheck& model) {
  checkKind(model, true);
  checkKind(model, false);
}
