#include "check/model_sheet.h"

#include "base/steps.h"
#include "check/html_page.h"
#include "config/settings_schema.h"
#include "midi/control_map.h"

namespace {

std::string controlId(bool note, int index) {
  return std::string(note ? "notes:" : "controllers:") + controlKey(index);
}

const char* kindClass(bool note, int index) {
  if (note) {
    return controlMap.receiveFlag[index] != 0 ? "led" : "note";
  }
  return numberOfIndex(index) == 0 ? "bend" : "cc";
}

std::string pageId(const PageView& page) {
  return std::to_string(stepNumber(page.step)) + ":" + std::to_string(page.page);
}

std::string picture(const BmpImage& image, const char* name, bool shown) {
  if (!image.loaded) {
    return "";
  }
  return std::string("<img class=\"picture\" data-picture=\"") + name + "\" alt=\"" + name +
         " panel picture\"" + (shown ? "" : " hidden") + " src=\"" + pictureDataAddress(image) +
         "\">\n";
}

std::string findingItem(const Finding& f) {
  std::string item = std::string("<li class=\"finding ") + severityName(f.severity) + "\"";
  if (!f.control.kind.empty()) {
    item +=
        " data-control=\"" + htmlEscape(f.control.kind + ":" + controlKey(f.control.index)) + "\"";
  }
  return item + "><code>" + htmlEscape(formatFinding(f)) + "</code></li>\n";
}

std::string outlines(const ModelCheck& model) {
  std::string html;
  for (bool note : {false, true}) {  // notes on top: they are the smaller controls
    std::vector<std::string> pagesOf(kControlCount), neverOf(kControlCount);
    for (const StepView& step : model.steps) {
      if ((step.step == kStepControllerTest) == note) {
        continue;
      }
      for (const PageView& page : step.pages) {
        for (int index : page.underTest) {
          pagesOf[index] += (pagesOf[index].empty() ? "" : " ") + pageId(page);
        }
      }
      for (int index : step.neverUnderTest) {
        neverOf[index] +=
            (neverOf[index].empty() ? "" : " ") + std::to_string(stepNumber(step.step));
      }
    }
    for (int i = 0; i < kControlCount; ++i) {
      if (!isDefined(note, i)) {
        continue;
      }
      const std::string& pages = pagesOf[i];
      const std::string& never = neverOf[i];
      const ControlRect& r = rectOf(note, i);
      const std::string address = controlAddress(note, i);
      html += std::string("<div class=\"outline ") + kindClass(note, i) + "\" data-control=\"" +
              controlId(note, i) + "\" data-pages=\"" + pages + "\" data-never=\"" + never +
              "\" title=\"" +
              htmlEscape("[" + std::string(controlSection(note)) + "] " + controlKey(i) + " = " +
                         rectText(r) + ": " + address + " (line " +
                         std::to_string(controlLine(model, note, i)) + ")") +
              "\" style=\"left:" + std::to_string(r.x) + "px;top:" + std::to_string(r.y) +
              "px;width:" + std::to_string(std::max(r.width, 1)) +
              "px;height:" + std::to_string(std::max(r.height, 1)) + "px\"><span>" +
              htmlEscape(address) + "</span></div>\n";
    }
  }
  return html;
}

std::string pageViews(const ModelCheck& model) {
  std::string html = "<div class=\"views\"><h3>Pages of the MIDI steps</h3>\n";
  for (const StepView& step : model.steps) {
    const char* kind = step.step == kStepControllerTest ? "controllers"  // not a settings key
                       : step.step == kStepNoteRxTest   ? "LED notes"
                                                        : "notes";  // not a settings key
    html += "<div class=\"step\"><h4>Step " + std::to_string(stepNumber(step.step)) +
            (step.enabled ? "" : " (disabled)") + "</h4>\n";
    for (const PageView& page : step.pages) {
      std::string tested;
      for (size_t k = 0; k < page.underTest.size(); ++k) {
        tested += (k == 0 ? "" : " ") + controlKey(page.underTest[k]);
      }
      html += "<button class=\"page-view\" data-id=\"" + pageId(page) + "\" data-step=\"" +
              std::to_string(stepNumber(step.step)) + "\"><b>" + htmlEscape(page.key) + "</b> " +
              htmlEscape(pageChannelsText(page)) + ": " + std::to_string(page.underTest.size()) +
              " " + kind + " under test" +
              (page.cannotPass.empty()
                   ? ""
                   : ", " + std::to_string(page.cannotPass.size()) + " can never pass") +
              "<small>" + htmlEscape(tested) + "</small></button>\n";
    }
    std::string never;
    for (int index : step.neverUnderTest) {
      never += (never.empty() ? "" : " ") + controlKey(index);
    }
    html += "<p class=\"never\">Never under test: " + (never.empty() ? "none" : htmlEscape(never)) +
            "</p></div>\n";
  }
  return html + "</div>\n";
}

const char* kStyle = R"(
body{font:14px system-ui,sans-serif;margin:16px;color:#222;background:#f4f4f6}
h1{font-size:20px;margin:0 0 4px} h2{font-size:17px;margin:18px 0 6px} h3,h4{margin:8px 0 4px}
.summary{margin:0 0 10px;color:#555}
.toolbar{margin:6px 0;display:flex;gap:14px;align-items:center;flex-wrap:wrap}
.legend span{display:inline-block;padding:1px 6px;margin-right:4px;border:2px solid;border-radius:3px}
.stage{position:relative;outline:1px solid #000;margin:4px 0 10px}
.stage img{position:absolute;left:0;top:0;image-rendering:pixelated}
.outline{position:absolute;box-sizing:border-box;border:2px solid;cursor:pointer}
.outline span{position:absolute;left:0;top:-1px;font:9px/10px sans-serif;color:#fff;
 background:rgba(0,0,0,.65);padding:0 2px;white-space:nowrap;pointer-events:none}
.note,.legend .note{border-color:#3d8bff}.led,.legend .led{border-color:#ffa000}
.cc,.legend .cc{border-color:#00d0e0}.bend,.legend .bend{border-color:#d050ff}
.outline.idle{opacity:.18}.outline.tested{box-shadow:0 0 0 2px #fff}
.outline.never{opacity:1;border-style:dashed;border-color:#ff1744}
.outline.picked{box-shadow:0 0 0 3px #ff1744,0 0 12px 4px #ff1744;z-index:5}
.views{display:flex;flex-wrap:wrap;gap:12px}.step{background:#fff;padding:6px 10px;border-radius:6px}
.page-view{display:block;width:100%;text-align:left;margin:3px 0;padding:4px 6px;border:1px solid #bbb;
 background:#fafafa;border-radius:4px;cursor:pointer;font:13px system-ui,sans-serif}
.page-view small{display:block;color:#666;max-width:420px;overflow:hidden;text-overflow:ellipsis;white-space:nowrap}
.page-view.active{background:#dbe9ff;border-color:#3d8bff}.never{margin:4px 0;color:#b00020}
.findings{background:#fff;padding:8px 8px 8px 28px;border-radius:6px}
.finding{margin:2px 0;cursor:default}.finding[data-control]{cursor:pointer}
.finding.error code{color:#b00020}.finding.warning code{color:#8a5a00}.finding.note code{color:#333}
.finding.picked{background:#ffe3e6}
)";

const char* kScript = R"(
document.querySelectorAll('.model').forEach(function (model) {
  var outlines = model.querySelectorAll('.outline');
  model.querySelectorAll('input[data-show]').forEach(function (choice) {
    choice.addEventListener('change', function () {
      model.querySelectorAll('.picture').forEach(function (p) {
        p.hidden = p.dataset.picture !== choice.dataset.show;
      });
    });
  });
  model.querySelectorAll('.page-view').forEach(function (view) {
    view.addEventListener('click', function () {
      var on = !view.classList.contains('active');
      model.querySelectorAll('.page-view').forEach(function (v) { v.classList.remove('active'); });
      view.classList.toggle('active', on);
      outlines.forEach(function (o) {
        var tested = o.dataset.pages.split(' ').indexOf(view.dataset.id) >= 0;
        var never = o.dataset.never.split(' ').indexOf(view.dataset.step) >= 0;
        o.classList.toggle('tested', on && tested);
        o.classList.toggle('never', on && never);
        o.classList.toggle('idle', on && !tested && !never);
      });
    });
  });
  model.querySelectorAll('.finding[data-control]').forEach(function (finding) {
    finding.addEventListener('click', function () {
      model.querySelectorAll('.finding').forEach(function (f) { f.classList.toggle('picked', f === finding); });
      outlines.forEach(function (o) { o.classList.toggle('picked', o.dataset.control === finding.dataset.control); });
      var picked = model.querySelector('.outline.picked');
      if (picked) picked.scrollIntoView({block: 'center'});
    });
  });
});
)";

}  // namespace

std::string sheetSection(const ModelCheck& model, int number,
                         const std::vector<Finding>& findings) {
  const std::string id = "m" + std::to_string(number);
  std::string html =
      "<section class=\"model\" id=\"" + id + "\">\n<h2>" +
      htmlEscape(model.profile.empty() ? model.settingsShown
                                       : model.profile + " - " + model.settingsShown) +
      "</h2>\n";
  html += "<div class=\"toolbar\"><span>Picture under the outlines:</span>";
  const char* names[] = {"off", "red", "green"};
  const char* labels[] = {"unlit", "red", "green"};
  for (int i = 0; i < 3; ++i) {
    html += std::string("<label><input type=\"radio\" name=\"") + id + "-picture\" data-show=\"" +
            names[i] + "\"" + (i == 0 ? " checked" : "") + "> " + labels[i] + "</label>";
  }
  html +=
      "<span class=\"legend\"><span class=\"note\">note</span><span class=\"led\">note with LED"
      "</span><span class=\"cc\">controller</span><span class=\"bend\">pitch bend / CC 0"
      "</span></span></div>\n";
  const int width = model.off.loaded ? model.off.width : 600;
  const int height = model.off.loaded ? model.off.height : 400;
  html += "<div class=\"stage\" style=\"width:" + std::to_string(width) +
          "px;height:" + std::to_string(height) + "px\">\n" + picture(model.off, "off", true) +
          picture(model.red, "red", false) + picture(model.green, "green", false) +
          outlines(model) + "</div>\n";
  html += pageViews(model);
  html += "<h3>Findings (" + std::to_string(findings.size()) + ")</h3>\n<ol class=\"findings\">\n";
  for (const Finding& f : findings) {
    html += findingItem(f);
  }
  return html + "</ol>\n</section>\n";
}

std::string sheetPage(const std::string& path, const FindingList& all,
                      const std::vector<Finding>& general, const std::vector<std::string>& parts) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n<title>Model sheet - " +
      htmlEscape(path) + "</title>\n<style>" + kStyle +
      "</style></head>\n<body>\n<h1>Model sheet</h1>\n" + "<p class=\"summary\">" +
      htmlEscape(path) + ": " + htmlEscape(formatCounts(all)) + "</p>\n";
  if (!general.empty()) {
    html += "<ol class=\"findings general\">\n";
    for (const Finding& f : general) {
      html += findingItem(f);
    }
    html += "</ol>\n";
  }
  for (const std::string& part : parts) {
    html += part;
  }
  return html + "<script>" + kScript + "</script>\n</body></html>\n";
}

bool writeSheet(const std::string& folder, const std::string& page) {
  return writeIndexPage(folder, page);
}
