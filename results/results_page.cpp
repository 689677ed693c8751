#include "results/results_page.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>

#include "check/html_page.h"
#include "check/model_check.h"
#include "results/results_output.h"

namespace {

// The colour scale: a failure rate falls in the first band whose upper end it does not pass.
struct Band {
  double upTo;  // failure rate, 0..1
  const char* colour;
  const char* label;
};
constexpr Band kBands[] = {
    {0.0, "#2e9d44", "never failed"}, {0.02, "#b5d334", "up to 2%"},  {0.05, "#f2d13a", "up to 5%"},
    {0.10, "#f29b38", "up to 10%"},   {0.25, "#e8572f", "up to 25%"}, {1.0, "#b00020", "over 25%"},
};
constexpr const char* kNoDataColour = "#8a8a8a";

const char* colourOf(const ControlRow& row) {
  if (row.units == 0) {
    return kNoDataColour;
  }
  const double rate = static_cast<double>(row.notPassed) / row.units;
  for (const Band& band : kBands) {
    if (rate <= band.upTo) {
      return band.colour;
    }
  }
  return kBands[std::size(kBands) - 1].colour;
}

std::string rowId(const ResultsModel& model, const ControlRow& row) {
  return std::string(model.steps[row.step].csvName) + ":" + controlKeyText(row);
}

std::string failedText(const ControlRow& row) {
  return "failed on " + std::to_string(row.notPassed) + " of " + std::to_string(row.units) +
         " units";
}

std::string rowTitle(const ResultsModel& model, const ControlRow& row) {
  return std::string(model.steps[row.step].csvName) + " " + controlKeyText(row) + " " +
         controlName(model, row) + ": " + failedText(row);
}

std::string panel(const ResultsModel& model, const std::vector<ControlRow>& rows) {
  const int width = model.panel.loaded ? model.panel.width : 600;
  const int height = model.panel.loaded ? model.panel.height : 400;
  std::string html =
      "<div class=\"toolbar\"><span>Show:</span>"
      "<label><input type=\"radio\" name=\"view\" data-view=\"notes controllers\" checked> "
      "notes and controllers</label>"
      "<label><input type=\"radio\" name=\"view\" data-view=\"leds\"> LED notes</label>"
      "<span class=\"legend\">";
  for (const Band& band : kBands) {
    html += std::string("<span style=\"background:") + band.colour + "\">" + band.label + "</span>";
  }
  html += std::string("<span style=\"background:") + kNoDataColour +
          "\">step never ran</span></span></div>\n<div class=\"stage\" style=\"width:" +
          std::to_string(width) + "px;height:" + std::to_string(height) + "px\">\n";
  const std::string picture = pictureDataAddress(model.panel);
  if (!picture.empty()) {
    html += "<img alt=\"panel picture\" src=\"" + picture + "\">\n";
  }
  for (const ControlRow& row : rows) {
    const ControlRect& r = model.steps[row.step].rects[row.index];
    html += "<div class=\"control\" data-step=\"" + std::string(model.steps[row.step].csvName) +
            "\" data-control=\"" + htmlEscape(rowId(model, row)) + "\" data-failed=\"" +
            std::to_string(row.notPassed) + "\" data-units=\"" + std::to_string(row.units) +
            "\" title=\"" + htmlEscape(rowTitle(model, row)) +
            "\" style=\"left:" + std::to_string(r.x) + "px;top:" + std::to_string(r.y) +
            "px;width:" + std::to_string(std::max(r.width, 1)) +
            "px;height:" + std::to_string(std::max(r.height, 1)) +
            "px;background:" + colourOf(row) + "\"></div>\n";
  }
  return html + "</div>\n<div id=\"failed-on\">Choose a control to see the units on which it " +
         "failed.</div>\n";
}

std::string yieldTable(const ResultsModel& model, const Tally& tally) {
  const int units = tally.unitsRead;
  std::string html =
      "<table class=\"yield\"><tr><th>Step</th><th>Controls</th><th>Ran on</th>"
      "<th>Passed whole</th><th>Yield</th></tr>\n";
  const auto row = [](const std::string& name, const std::string& controls, int ran, int whole) {
    char yield[16];
    std::snprintf(yield, sizeof yield, "%.1f%%", ran > 0 ? 100.0 * whole / ran : 0.0);
    return "<tr><td>" + htmlEscape(name) + "</td><td>" + controls + "</td><td>" +
           std::to_string(ran) + "</td><td>" + std::to_string(whole) + "</td><td>" + yield +
           "</td></tr>\n";
  };
  for (int s = 0; s < kReportTestSectionCount; ++s) {
    html += row(model.steps[s].section.name, std::to_string(model.steps[s].controls.size()),
                tally.steps[s].ran, tally.steps[s].passedWhole);
  }
  html += row("first pass (every step that ran)", "", units, tally.firstPass);
  return html + "</table>\n";
}

std::string failingChart(const ResultsModel& model, const std::vector<ControlRow>& rows) {
  const std::vector<ControlRow> failing = mostFailing(rows, 10);
  if (failing.empty()) {
    return "<p>No control failed.</p>\n";
  }
  std::string html = "<div class=\"bars\">\n";
  for (const ControlRow& row : failing) {
    const int width = row.units > 0 ? 100 * row.notPassed / row.units : 0;
    html += "<div class=\"bar\" data-control=\"" + htmlEscape(rowId(model, row)) +
            "\"><span class=\"label\">" + htmlEscape(rowTitle(model, row)) +
            "</span><span class=\"fill\" style=\"width:" + std::to_string(std::max(width, 1)) +
            "%;background:" + colourOf(row) + "\"></span></div>\n";
  }
  return html + "</div>\n";
}

std::string daysChart(const Tally& tally) {
  std::map<std::string, int> perDay;
  for (const UnitRecord& unit : tally.units) {
    ++perDay[dayOf(unit.modified)];
  }
  int most = 1;
  for (const auto& [day, count] : perDay) {
    most = std::max(most, count);
  }
  std::string html = "<div class=\"days\">\n";
  for (const auto& [day, count] : perDay) {
    html += "<div class=\"day\" data-day=\"" + day + "\" data-units=\"" + std::to_string(count) +
            "\" title=\"" + day + ": " + std::to_string(count) + " units\"><span class=\"count\">" +
            std::to_string(count) +
            "</span><span class=\"column\" style=\"height:" + std::to_string(120 * count / most) +
            "px\"></span><span class=\"date\">" + day + "</span></div>\n";
  }
  return html + "</div>\n";
}

std::string asioTable(const Tally& tally) {
  using Key = std::tuple<std::string, int, int, int, int, int>;
  std::map<Key, int> seen;
  int without = 0;
  for (const UnitRecord& unit : tally.units) {
    const AsioReading& a = unit.reading.asio;
    if (!a.present) {
      ++without;
      continue;
    }
    ++seen[Key{a.driverName, a.outputChannels, a.inputChannels, a.rate, a.outputLatency,
               a.inputLatency}];
  }
  std::string html =
      "<table class=\"asio\"><tr><th>Driver</th><th>Outputs</th><th>Inputs</th><th>Rate</th>"
      "<th>Output latency</th><th>Input latency</th><th>Units</th></tr>\n";
  for (const auto& [key, count] : seen) {
    const auto& [name, outputs, inputs, rate, outputLatency, inputLatency] = key;
    html += "<tr class=\"asio-section\"><td>" + htmlEscape(name.empty() ? "(no name)" : name) +
            "</td><td>" + std::to_string(outputs) + "</td><td>" + std::to_string(inputs) +
            "</td><td>" + std::to_string(rate) + " Hz</td><td>" + std::to_string(outputLatency) +
            "</td><td>" + std::to_string(inputLatency) + "</td><td>" + std::to_string(count) +
            "</td></tr>\n";
  }
  if (without > 0) {
    html += "<tr><td colspan=\"6\">no [ASIO Driver] section</td><td>" + std::to_string(without) +
            "</td></tr>\n";
  }
  return html + "</table>\n";
}

std::string notesList(const std::vector<FileNote>& notes, bool warning) {
  std::string html = std::string("<ol class=\"") + (warning ? "warnings" : "set-aside") + "\">\n";
  for (const FileNote& note : notes) {
    html += "<li><code>" + htmlEscape(formatNote(note, warning)) + "</code></li>\n";
  }
  return html + "</ol>\n";
}

// Which units failed each control, for the page's script.
std::string failureData(const ResultsModel& model, const Tally& tally) {
  nlohmann::json files = nlohmann::json::array();
  nlohmann::json failed = nlohmann::json::object();
  for (size_t u = 0; u < tally.units.size(); ++u) {
    files.push_back(tally.units[u].file);
    for (int s = 0; s < kReportTestSectionCount; ++s) {
      for (uint16_t index : tally.units[u].reading.steps[s].notPassed) {
        failed[std::string(model.steps[s].csvName) + ":" + controlKey(index)].push_back(u);
      }
    }
  }
  std::string text = nlohmann::json{{"units", files}, {"failed", failed}}.dump();
  // Inside a script element "</" would end it early.
  for (size_t at = text.find("</"); at != std::string::npos; at = text.find("</", at)) {
    text.replace(at, 2, "<\\/");
  }
  return text;
}

const char* kStyle = R"(
body{font:14px system-ui,sans-serif;margin:16px;color:#222;background:#f4f4f6}
h1{font-size:20px;margin:0 0 4px} h2{font-size:17px;margin:18px 0 6px}
.summary{margin:0 0 10px;color:#444}
.toolbar{margin:6px 0;display:flex;gap:14px;align-items:center;flex-wrap:wrap}
.legend span{display:inline-block;padding:1px 6px;margin-right:3px;border-radius:3px;color:#fff;
 text-shadow:0 0 2px #000;font-size:12px}
.stage{position:relative;outline:1px solid #000;margin:4px 0 10px}
.stage img{position:absolute;left:0;top:0;image-rendering:pixelated}
.control{position:absolute;box-sizing:border-box;border:1px solid #000;opacity:.8;cursor:pointer}
.control.picked{outline:3px solid #1565c0;opacity:1;z-index:5}
#failed-on{background:#fff;padding:8px 10px;border-radius:6px;margin:6px 0}
table{border-collapse:collapse;background:#fff}td,th{border:1px solid #ccc;padding:3px 8px;text-align:left}
.bars{background:#fff;padding:8px;border-radius:6px;max-width:900px}
.bar{position:relative;height:22px;margin:3px 0;cursor:pointer;background:#eee}
.bar .fill{position:absolute;left:0;top:0;bottom:0}
.bar .label{position:relative;z-index:1;padding-left:6px;line-height:22px;white-space:nowrap}
.days{display:flex;gap:6px;align-items:flex-end;background:#fff;padding:8px;border-radius:6px;
 overflow-x:auto}
.day{display:flex;flex-direction:column;align-items:center;font-size:11px}
.day .column{width:26px;background:#3d8bff;display:block}
ol{background:#fff;padding:8px 8px 8px 28px;border-radius:6px}
.set-aside code{color:#b00020}.warnings code{color:#8a5a00}
)";

const char* kScript = R"(
var data = JSON.parse(document.getElementById('failures').textContent);
var controls = document.querySelectorAll('.control');
function showView(view) {
  var steps = view.split(' ');
  controls.forEach(function (c) { c.hidden = steps.indexOf(c.dataset.step) < 0; });
}
function choose(id) {
  var step = id.split(':')[0];
  var view = document.querySelector('input[data-view="' + (step === 'leds' ? 'leds' : 'notes controllers') + '"]');
  view.checked = true;
  showView(view.dataset.view);
  var picked = null;
  controls.forEach(function (c) {
    var on = c.dataset.control === id;
    c.classList.toggle('picked', on);
    if (on) picked = c;
  });
  var box = document.getElementById('failed-on');
  box.textContent = '';
  var units = (data.failed[id] || []).map(function (u) { return data.units[u]; });
  var head = document.createElement('b');
  head.textContent = (picked ? picked.title : id) + (units.length ? ': failed on these units' : '');
  box.appendChild(head);
  var list = document.createElement('ul');
  units.forEach(function (file) {
    var item = document.createElement('li');
    item.className = 'failed-unit';
    item.textContent = file;
    list.appendChild(item);
  });
  box.appendChild(list);
}
document.querySelectorAll('input[data-view]').forEach(function (input) {
  input.addEventListener('change', function () { showView(input.dataset.view); });
});
document.querySelectorAll('.control, .bar').forEach(function (element) {
  element.addEventListener('click', function () { choose(element.dataset.control); });
});
showView('notes controllers');
// "index.html#control=notes:7:1" opens the page with that control chosen.
if (location.hash.indexOf('#control=') === 0) choose(decodeURIComponent(location.hash.slice(9)));
)";

}  // namespace

std::string resultsPage(const ResultsModel& model, const Tally& tally) {
  const std::vector<ControlRow> rows = controlRows(model, tally);
  const int units = tally.unitsRead;
  char yield[16];
  std::snprintf(yield, sizeof yield, "%.1f%%", units > 0 ? 100.0 * tally.firstPass / units : 0.0);
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n<title>Results - " +
      htmlEscape(model.settingsShown) + "</title>\n<style>" + kStyle + "</style></head>\n<body>\n";
  html += "<h1>Results across units</h1>\n<p class=\"summary\">" + htmlEscape(model.settingsShown) +
          (model.profile.empty() ? "" : " (profile " + htmlEscape(model.profile) + ")") +
          ": <b id=\"units-read\">" + std::to_string(units) +
          "</b> units read, <b id=\"units-set-aside\">" + std::to_string(tally.setAside.size()) +
          "</b> set aside, first-pass yield <b id=\"first-pass\">" + yield + "</b> (" +
          std::to_string(tally.firstPass) + " of " + std::to_string(units) + ")</p>\n";
  html += "<h2>Failures on the panel</h2>\n" + panel(model, rows);
  html += "<h2>Yield per step</h2>\n" + yieldTable(model, tally);
  html += "<h2>Controls that fail most often</h2>\n" + failingChart(model, rows);
  html += "<h2>Units per day</h2>\n" + daysChart(tally);
  html += "<h2>Sound cards seen</h2>\n" + asioTable(tally);
  html += "<h2>Files set aside (" + std::to_string(tally.setAside.size()) + ")</h2>\n" +
          notesList(tally.setAside, false);
  if (!tally.warnings.empty()) {
    // Units that pass alike write alike reports: the list is folded away.
    html += "<h2>Warnings (" + std::to_string(tally.warnings.size()) +
            ")</h2>\n<details><summary>byte-identical files</summary>\n" +
            notesList(tally.warnings, true) + "</details>\n";
  }
  html += "<script type=\"application/json\" id=\"failures\">" + failureData(model, tally) +
          "</script>\n<script>" + kScript + "</script>\n</body></html>\n";
  return html;
}
