#include "results/results_output.h"

#include <algorithm>
#include <cstdio>

#include "check/model_check.h"

std::vector<ControlRow> controlRows(const ResultsModel& model, const Tally& tally) {
  std::vector<ControlRow> rows;
  for (int s = 0; s < kReportTestSectionCount; ++s) {
    const StepCounts& counts = tally.steps[s];
    const size_t first = rows.size();
    for (uint16_t index : model.steps[s].controls) {
      rows.push_back({s, index, counts.ran, static_cast<int>(counts.notPassed[index])});
    }
    std::stable_sort(
        rows.begin() + first, rows.end(),
        [](const ControlRow& a, const ControlRow& b) { return a.notPassed > b.notPassed; });
  }
  return rows;
}

std::vector<ControlRow> mostFailing(const std::vector<ControlRow>& rows, size_t count) {
  std::vector<ControlRow> failing;
  for (const ControlRow& row : rows) {
    if (row.notPassed > 0) {
      failing.push_back(row);
    }
  }
  std::stable_sort(failing.begin(), failing.end(), [](const ControlRow& a, const ControlRow& b) {
    return a.notPassed > b.notPassed;
  });
  if (failing.size() > count) {
    failing.resize(count);
  }
  return failing;
}

std::string controlName(const ResultsModel& model, const ControlRow& row) {
  return reportControlName(model.steps[row.step].section.word, row.index);
}

std::string controlKeyText(const ControlRow& row) {
  return controlKey(row.index);
}

std::string formatNote(const FileNote& note, bool warning) {
  std::string text = note.file;
  if (note.reason.line > 0) {
    text += ":" + std::to_string(note.reason.line);
  }
  return text + (warning ? ": warning: " : ": error: ") + note.reason.message + " [" +
         note.reason.code + "]";
}

static std::string percent(int part, int whole) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f%%", whole > 0 ? 100.0 * part / whole : 0.0);
  return text;
}

std::string summaryText(const ResultsModel& model, const Tally& tally) {
  const int units = tally.unitsRead;
  std::string text;
  for (const FileNote& note : tally.setAside) {
    text += formatNote(note, false) + "\n";
  }
  for (const FileNote& note : tally.warnings) {
    text += formatNote(note, true) + "\n";
  }
  text += "model: " + model.settingsShown +
          (model.profile.empty() ? "" : " (profile " + model.profile + ")") + "\n";
  text += "units read: " + std::to_string(units) + "\n";
  text += "units set aside: " + std::to_string(tally.setAside.size()) + "\n";
  text += "first-pass yield: " + std::to_string(tally.firstPass) + " of " + std::to_string(units) +
          " units (" + percent(tally.firstPass, units) + ")\n";
  for (int s = 0; s < kReportTestSectionCount; ++s) {
    const StepCounts& counts = tally.steps[s];
    text += std::string(model.steps[s].section.name) + " (" + model.steps[s].csvName + ", " +
            std::to_string(model.steps[s].controls.size()) + " controls): ran on " +
            std::to_string(counts.ran) + " units, passed whole on " +
            std::to_string(counts.passedWhole) + " (" + percent(counts.passedWhole, counts.ran) +
            ")\n";
  }
  const std::vector<ControlRow> failing = mostFailing(controlRows(model, tally), 10);
  text += failing.empty() ? "no control failed\n" : "controls that fail most often:\n";
  for (const ControlRow& row : failing) {
    text += std::string("  ") + model.steps[row.step].csvName + " " + controlKeyText(row) + " " +
            controlName(model, row) + ": failed on " + std::to_string(row.notPassed) + " of " +
            std::to_string(row.units) + " units\n";
  }
  return text;
}

// RFC 4180: a field with a comma, quote or line break goes in quotes, its quotes doubled.
static std::string csvField(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) {
    return field;
  }
  std::string quoted = "\"";
  for (char c : field) {
    quoted += c == '"' ? "\"\"" : std::string(1, c);
  }
  return quoted + "\"";
}

std::string csvText(const ResultsModel& model, const Tally& tally) {
  std::string text = "step,key,name,units,passed,not_passed\r\n";
  for (const ControlRow& row : controlRows(model, tally)) {
    text += csvField(model.steps[row.step].csvName) + "," + csvField(controlKeyText(row)) + "," +
            csvField(controlName(model, row)) + "," + std::to_string(row.units) + "," +
            std::to_string(row.units - row.notPassed) + "," + std::to_string(row.notPassed) +
            "\r\n";
  }
  return text;
}

std::string dayOf(std::time_t time) {
  char text[16];
  const std::tm* local = std::localtime(&time);
  if (local == nullptr || std::strftime(text, sizeof text, "%Y-%m-%d", local) == 0) {
    return "unknown";
  }
  return text;
}

static const char* outcomeName(StepOutcome outcome) {
  return outcome == StepOutcome::NotRun      ? "not-run"
         : outcome == StepOutcome::Completed ? "completed"
                                             : "listed";
}

static nlohmann::json noteJson(const FileNote& note) {
  return {{"file", note.file},
          {"line", note.reason.line},
          {"check", note.reason.code},
          {"message", note.reason.message}};
}

nlohmann::json resultsJson(const ResultsModel& model, const Tally& tally) {
  nlohmann::json json;
  // The JSON's field names: not a settings key.
  json["model"] = {{"settings", model.settingsShown}, {"profile", model.profile}};
  const int units = tally.unitsRead;
  json["units"] = {{"read", units}, {"setAside", tally.setAside.size()}};
  json["firstPassYield"] = {{"units", tally.firstPass}, {"of", units}};
  json["steps"] = nlohmann::json::array();
  for (int s = 0; s < kReportTestSectionCount; ++s) {
    json["steps"].push_back({{"step", model.steps[s].csvName},
                             {"section", model.steps[s].section.name},
                             {"controls", model.steps[s].controls.size()},
                             {"ran", tally.steps[s].ran},
                             {"passedWhole", tally.steps[s].passedWhole}});
  }
  json["controls"] = nlohmann::json::array();
  for (const ControlRow& row : controlRows(model, tally)) {
    json["controls"].push_back({{"step", model.steps[row.step].csvName},
                                {"key", controlKeyText(row)},
                                {"name", controlName(model, row)},
                                {"units", row.units},
                                {"passed", row.units - row.notPassed},
                                {"not_passed", row.notPassed}});
  }
  json["unitsRead"] = nlohmann::json::array();
  for (const UnitRecord& unit : tally.units) {
    nlohmann::json steps;
    for (int s = 0; s < kReportTestSectionCount; ++s) {
      const StepReading& step = unit.reading.steps[s];
      nlohmann::json failed = nlohmann::json::array();
      for (uint16_t index : step.notPassed) {
        failed.push_back(controlKey(index));
      }
      steps[model.steps[s].csvName] = {{"result", outcomeName(step.outcome)},
                                       {"notPassed", failed}};
    }
    nlohmann::json asio = nullptr;
    if (unit.reading.asio.present) {
      const AsioReading& a = unit.reading.asio;
      asio = {{"driver", a.driverName},           {"outputChannels", a.outputChannels},
              {"inputChannels", a.inputChannels}, {"rate", a.rate},
              {"outputLatency", a.outputLatency}, {"inputLatency", a.inputLatency}};
    }
    json["unitsRead"].push_back({{"file", unit.file},
                                 {"day", dayOf(unit.modified)},
                                 {"firstPass", passedFirstTime(unit.reading)},
                                 {"steps", steps},
                                 {"asio", asio}});
  }
  json["setAside"] = nlohmann::json::array();
  for (const FileNote& note : tally.setAside) {
    json["setAside"].push_back(noteJson(note));
  }
  json["warnings"] = nlohmann::json::array();
  for (const FileNote& note : tally.warnings) {
    json["warnings"].push_back(noteJson(note));
  }
  return json;
}
