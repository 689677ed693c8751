#include "check/report_json.h"

#include <cstdint>
#include <string>

#include "base/steps.h"
#include "config/settings_schema.h"
#include "midi/control_map.h"

using nlohmann::json;

static json keys(const std::vector<int>& indices) {
  json list = json::array();
  for (int index : indices) {
    list.push_back(controlKey(index));
  }
  return list;
}

static json pageJson(const PageView& page) {
  json channels = json::array();
  for (int c = 0; c < kChannelCount; ++c) {
    if (page.channels[c]) {
      channels.push_back(c + 1);
    }
  }
  return {{"key", page.key},
          {"line", page.line},
          {"channel", page.prefix},
          {"anyChannel", page.anyChannel},
          {"channels", channels},
          {"underTest", keys(page.underTest)},
          {"cannotPass", keys(page.cannotPass)}};
}

// Windows-1252 at 0x80..0x9F; the five bytes it leaves undefined stand for the control
// characters of the same number, as the system's own conversion gives them.
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

static bool isUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80                   ? 1
                          : lead >= 0xC2 && lead < 0xE0 ? 2
                          : lead >= 0xE0 && lead < 0xF0 ? 3
                          : lead >= 0xF0 && lead < 0xF5 ? 4
                                                        : 0;
    if (length == 0 || i + length > text.size()) {
      return false;
    }
    uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) {
        return false;
      }
      code = code << 6 | (next & 0x3F);
    }
    const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
      return false;
    }
    i += length;
  }
  return true;
}

static void appendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The station's texts are ANSI bytes (Windows-1252), JSON is UTF-8: a text that already is
// UTF-8 (a name typed where that is the system's encoding) stays, any other is converted.
static std::string utf8Text(const std::string& text) {
  if (isUtf8(text)) {
    return text;
  }
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    appendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte);
  }
  return out;
}

static void makeUtf8(json& value) {
  if (value.is_string()) {
    value = utf8Text(value.get<std::string>());
  } else if (value.is_structured()) {
    for (json& item : value) {
      makeUtf8(item);
    }
  }
}

json modelJson(const ModelCheck& model) {
  json controls = json::array();
  for (bool note : {true, false}) {
    for (int i = 0; i < kControlCount; ++i) {
      if (!isDefined(note, i)) {
        continue;
      }
      const ControlRect& r = rectOf(note, i);
      controls.push_back({{"section", controlSection(note)},
                          {"key", controlKey(i)},
                          {"address", controlAddress(note, i)},
                          {"rect", {r.x, r.y, r.width, r.height}},
                          {"receive", note && controlMap.receiveFlag[i] != 0},
                          {"line", controlLine(model, note, i)}});
    }
  }
  json steps = json::array();
  for (const StepView& step : model.steps) {
    json pages = json::array();
    for (const PageView& page : step.pages) {
      pages.push_back(pageJson(page));
    }
    steps.push_back({{"step", stepNumber(step.step)},
                     {"enabled", step.enabled},
                     {"pages", pages},
                     {"neverUnderTest", keys(step.neverUnderTest)}});
  }
  return {{"profile", model.profile},
          {"settings", model.settingsShown},  // not a settings key
          {"panel", {{"width", model.off.width}, {"height", model.off.height}}},
          {"controls", controls},
          {"steps", steps}};
}

json findingJson(const Finding& f) {
  json item = {
      {"file", f.file},       {"line", f.line},          {"severity", severityName(f.severity)},
      {"check", f.check},     {"section", f.section},    {"key", f.key},
      {"message", f.message}, {"text", formatFinding(f)}};  // not a settings key
  if (!f.control.kind.empty()) {
    item["control"] = {{"section", f.control.kind}, {"key", controlKey(f.control.index)}};
  }
  return item;
}

json runJson(const std::string& path, const FindingList& findings, const json& models) {
  json list = json::array();
  for (const Finding& f : findings.items) {
    list.push_back(findingJson(f));
  }
  json run = {{"path", path},
              {"findings", list},
              {"counts",
               {{"errors", countSeverity(findings, Severity::Error)},
                {"warnings", countSeverity(findings, Severity::Warning)},
                {"notes", countSeverity(findings, Severity::Note)}}},  // not a settings key
              {"models", models}};
  makeUtf8(run);
  return run;
}
