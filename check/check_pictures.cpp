// The lit pictures against the unlit one: every control must look different in red and in
// green inside its rectangle, and what is lit outside every rectangle is a control that was
// drawn but never defined, or a rectangle that misses its drawing by a few pixels.
#include "check/check_pictures.h"

#include <algorithm>
#include <climits>
#include <map>

#include "check/model_check.h"
#include "config/settings_schema.h"
#include "midi/control_map.h"

namespace {

constexpr int kNearby = 8;  // pixels between a rectangle and marks that belong to it
constexpr size_t kMostStrayNotes = 20;

struct Box {
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;  // inclusive
  bool empty() const { return left > right; }
  void add(int x, int y) {
    left = std::min(left, x), top = std::min(top, y);
    right = std::max(right, x), bottom = std::max(bottom, y);
  }
  void add(const Box& b) {
    if (!b.empty()) {
      add(b.left, b.top), add(b.right, b.bottom);
    }
  }
};

struct Marks {
  Box box;
  int pixels = 0;
  bool inRed = false, inGreen = false;
};

struct Pictures {
  const BmpImage& off;
  const BmpImage& red;
  const BmpImage& green;
  int width, height;
  std::vector<unsigned char> lit;  // bit 0: red differs from unlit, bit 1: green does
};

// The part of a rectangle that lies on the picture; empty when none does.
Box clip(const ControlRect& r, int width, int height) {
  Box box;
  const int left = std::max(r.x, 0), top = std::max(r.y, 0);
  const int right = static_cast<int>(std::min<int64_t>(rightEdge(r), width)) - 1,
            bottom = static_cast<int>(std::min<int64_t>(bottomEdge(r), height)) - 1;
  if (left <= right && top <= bottom) {
    box.left = left, box.top = top, box.right = right, box.bottom = bottom;
  }
  return box;
}

std::string boxText(const Box& b) {
  return std::to_string(b.left) + "," + std::to_string(b.top) + "," +
         std::to_string(b.right - b.left + 1) + "," + std::to_string(b.bottom - b.top + 1);
}

std::string picturesWord(const Marks& m) {
  return m.inRed && m.inGreen ? "the red and green pictures"
         : m.inRed            ? "the red picture"
                              : "the green picture";
}

int gap(const Box& a, const Box& b) {
  const int dx = std::max({0, a.left - b.right - 1, b.left - a.right - 1});
  const int dy = std::max({0, a.top - b.bottom - 1, b.top - a.bottom - 1});
  return std::max(dx, dy);
}

// Marks outside every rectangle, grouped into 8-connected patches.
std::vector<Marks> strayMarks(const Pictures& p, const std::vector<unsigned char>& covered) {
  std::vector<Marks> found;
  std::vector<unsigned char> seen(covered);
  std::vector<int> stack;
  for (int start = 0; start < p.width * p.height; ++start) {
    if (seen[start] || p.lit[start] == 0) {
      continue;
    }
    Marks marks;
    seen[start] = 1;
    stack.push_back(start);
    while (!stack.empty()) {
      const int at = stack.back();
      stack.pop_back();
      const int x = at % p.width, y = at / p.width;
      marks.box.add(x, y);
      ++marks.pixels;
      marks.inRed = marks.inRed || (p.lit[at] & 1) != 0;
      marks.inGreen = marks.inGreen || (p.lit[at] & 2) != 0;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = x + dx, ny = y + dy;
          if (nx < 0 || ny < 0 || nx >= p.width || ny >= p.height) {
            continue;
          }
          const int next = ny * p.width + nx;
          if (!seen[next] && p.lit[next] != 0) {
            seen[next] = 1;
            stack.push_back(next);
          }
        }
      }
    }
    found.push_back(marks);
  }
  return found;
}

struct Control {
  bool note;
  int index;
  Box box;
  Box litInside;  // lit pixels inside the rectangle
  bool hasArea;
};

void checkControlLight(ModelCheck& model, const Pictures& p, Control& c, const Box& nearbyMarks) {
  bool redShows = false, greenShows = false, redIsGreen = true;
  for (int y = c.box.top; y <= c.box.bottom; ++y) {
    for (int x = c.box.left; x <= c.box.right; ++x) {
      const unsigned char lit = p.lit[y * p.width + x];
      redShows = redShows || (lit & 1) != 0;
      greenShows = greenShows || (lit & 2) != 0;
      redIsGreen = redIsGreen && !coloursDiffer(p.red, p.red.at(x, y), p.green, p.green.at(x, y));
      if (lit != 0) {
        c.litInside.add(x, y);
      }
    }
  }
  const std::string rect = rectText(rectOf(c.note, c.index));
  if (!redShows || !greenShows) {
    const char* which = !redShows && !greenShows ? "the red and green pictures show"
                        : !redShows              ? "the red picture shows"
                                                 : "the green picture shows";
    std::string message = std::string(which) + " nothing different from the unlit one inside " +
                          rect + ": the operator never sees it light";
    if (!nearbyMarks.empty()) {
      Box cover = c.litInside;
      cover.add(nearbyMarks);
      message += "; marks lie close by, and rectangle " + boxText(cover) + " would cover them";
    }
    addControlFinding(model, Severity::Warning, "not-lit", c.note, c.index, message);
  } else if (redIsGreen) {
    addControlFinding(model, Severity::Warning, "red-is-green", c.note, c.index,
                      "the red and green pictures are the same inside " + rect +
                          ": the operator cannot see it pass");
  }
}

}  // namespace

void checkPictures(ModelCheck& model) {
  const BmpImage &off = model.off, &red = model.red, &green = model.green;
  if (!off.loaded || !red.loaded || !green.loaded || red.width != off.width ||
      green.width != off.width || red.height != off.height || green.height != off.height) {
    return;
  }
  Pictures p{off, red, green, off.width, off.height, {}};
  p.lit.resize(off.pixels.size());
  for (size_t i = 0; i < off.pixels.size(); ++i) {
    p.lit[i] = (coloursDiffer(red, red.pixels[i], off, off.pixels[i]) ? 1 : 0) |
               (coloursDiffer(green, green.pixels[i], off, off.pixels[i]) ? 2 : 0);
  }

  std::vector<Control> controls;
  std::vector<unsigned char> covered(p.lit.size(), 0);
  for (bool note : {true, false}) {
    for (int i = 0; i < kControlCount; ++i) {
      if (!isDefined(note, i)) {
        continue;
      }
      const ControlRect& r = rectOf(note, i);
      const Box box = clip(r, p.width, p.height);
      if (box.empty()) {
        // No area, or off the picture: the rectangle checks say so. Marks at the corner of
        // a rectangle without area are its drawing, already pointed at by that finding.
        if ((r.width <= 0 || r.height <= 0) && r.x >= 0 && r.y >= 0 && r.x < p.width &&
            r.y < p.height) {
          Box corner;
          corner.add(r.x, r.y);
          controls.push_back({note, i, corner, {}, false});
        }
        continue;
      }
      controls.push_back({note, i, box, {}, true});
      for (int y = box.top; y <= box.bottom; ++y) {
        std::fill(covered.begin() + y * p.width + box.left,
                  covered.begin() + y * p.width + box.right + 1, 1);
      }
    }
  }

  // Each patch of stray marks belongs to the nearest rectangle within a few pixels.
  const std::vector<Marks> stray = strayMarks(p, covered);
  std::map<size_t, Marks> nearby;  // control position -> marks close to it
  std::vector<const Marks*> lonely;
  for (const Marks& marks : stray) {
    size_t best = controls.size();
    int bestGap = kNearby + 1;
    for (size_t c = 0; c < controls.size(); ++c) {
      const int distance = gap(controls[c].box, marks.box);
      if (distance < bestGap) {
        bestGap = distance, best = c;
      }
    }
    if (best == controls.size()) {
      lonely.push_back(&marks);
      continue;
    }
    Marks& merged = nearby[best];
    merged.box.add(marks.box);
    merged.pixels += marks.pixels;
    merged.inRed = merged.inRed || marks.inRed;
    merged.inGreen = merged.inGreen || marks.inGreen;
  }

  for (size_t c = 0; c < controls.size(); ++c) {
    if (!controls[c].hasArea) {
      continue;
    }
    const auto found = nearby.find(c);
    const Box marksBox = found == nearby.end() ? Box{} : found->second.box;
    const size_t before = model.findings->items.size();
    checkControlLight(model, p, controls[c], marksBox);
    const bool named =
        model.findings->items.size() != before && model.findings->items.back().check == "not-lit";
    if (found == nearby.end() || named) {
      continue;  // none, or named in the finding just made
    }
    Box cover = controls[c].litInside;
    cover.add(marksBox);
    addControlFinding(model, Severity::Note, "marks-outside", controls[c].note, controls[c].index,
                      "marks in " + picturesWord(found->second) + " at " + boxText(marksBox) +
                          " lie just outside rectangle " +
                          rectText(rectOf(controls[c].note, controls[c].index)) + "; rectangle " +
                          boxText(cover) + " would cover them");
  }
  for (size_t i = 0; i < lonely.size() && i < kMostStrayNotes; ++i) {
    const Marks& marks = *lonely[i];
    const SettingKey& picture =
        settingKeyOf(marks.inRed ? &Settings::redBitmap : &Settings::greenBitmap);
    addFinding(model, Severity::Note, "marks-outside", picture.section, picture.key,
               "marks in " + picturesWord(marks) + " at " + boxText(marks.box) + " (" +
                   std::to_string(marks.pixels) +
                   " pixels) lie outside every control: a control drawn but never defined?");
  }
  if (lonely.size() > kMostStrayNotes) {
    const SettingKey& red = settingKeyOf(&Settings::redBitmap);
    addFinding(model, Severity::Note, "marks-outside", red.section, red.key,
               std::to_string(lonely.size() - kMostStrayNotes) +
                   " more patches of marks lie outside every control");
  }
}
