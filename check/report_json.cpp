#include "check/report_json.h"

#include "app/steps.h"
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

json modelJson(const ModelCheck& model) {
  json controls = json::array();
  for (bool note : {true, false}) {
    for (int i = 0; i < kControlCount; ++i) {
      if (!isDefined(note, i)) {
        continue;
      }
      const ControlRect& r = rectOf(note, i);
      controls.push_back({{"section", note ? "notes" : "controllers"},
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
          {"settings", model.settingsShown},
          {"panel", {{"width", model.off.width}, {"height", model.off.height}}},
          {"controls", controls},
          {"steps", steps}};
}

json findingJson(const Finding& f) {
  json item = {
      {"file", f.file},       {"line", f.line},          {"severity", severityName(f.severity)},
      {"check", f.check},     {"section", f.section},    {"key", f.key},
      {"message", f.message}, {"text", formatFinding(f)}};
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
  return {{"path", path},
          {"findings", list},
          {"counts",
           {{"errors", countSeverity(findings, Severity::Error)},
            {"warnings", countSeverity(findings, Severity::Warning)},
            {"notes", countSeverity(findings, Severity::Note)}}},
          {"models", models}};
}
