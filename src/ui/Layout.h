#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/Controls.h"

namespace larkspan {

// A window as a table: everything a back end needs to build it, in the layouts' units (twips:
// 15 to the pixel at 96 dots per inch).
inline constexpr int kTwipsPerPixel = 15;

struct Font {
  std::string family;
  double points = 8.25;
  bool bold = false;
};

enum class ControlKind {
  kLabel,        // caption, font, fore colour, transparent background
  kTextBox,      // multi-line, read-only when locked
  kButton,       // picture button: picture left of the caption
  kImage,        // picture, optional tag and hand cursor, raises clicks
  kProgressBar,  // maximum and value
  kTimer,        // not shown: interval and enabled state
  kFrame,        // container without border; children name it as their parent
  kShape,        // rectangle outline, no fill, drawn behind everything else
};

struct ControlLayout {
  std::string name;
  ControlKind kind = ControlKind::kLabel;
  std::string parent;  // empty: the window; otherwise the name of a frame
  // Place in twips, relative to the parent.
  int left = 0, top = 0, width = 0, height = 0;
  std::u16string caption;          // caption of labels and buttons, text of a text box
  std::optional<Font> font;        // empty: the window's default font
  std::optional<Rgb> foreColor;    // empty: black
  std::optional<Rgb> backColor;    // empty: transparent (labels) or white
  std::optional<Rgb> borderColor;  // shapes
  std::string picture;             // file name under assets/, empty for none
  bool stretch = false;            // picture stretched to the control's size
  bool visible = true;
  bool enabled = true;                                                // timers: enabled at load
  int interval = 0;                                                   // timers, in milliseconds
  int maximum = 100;                                                  // progress bars
  std::u16string tag;                                                 // images
  bool handCursor = false;                                            // images
  bool multiLine = false, verticalScrollBar = false, locked = false;  // text boxes
  // Images that take clicks: what a screen reader calls the link (what the picture says).
  std::u16string accessibleName;
  // Label sizing: autoSize grows the label to show its text whole on one line per line of
  // text; wordWrap wraps the text within the box instead. Either way the text is never cut.
  bool autoSize = false;
  bool wordWrap = false;
  int tabIndex = -1;  // -1: not in the tab order
  bool tabStop = false;
};

// The rows that the layout tables are built from.
inline ControlLayout PlaceControl(std::string name, ControlKind kind, int left, int top, int width,
                                  int height) {
  ControlLayout c;
  c.name = std::move(name);
  c.kind = kind;
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  return c;
}

inline ControlLayout TimerControl(std::string name, int intervalMs, bool enabledAtLoad) {
  ControlLayout c = PlaceControl(std::move(name), ControlKind::kTimer, 0, 0, 0, 0);
  c.interval = intervalMs;
  c.enabled = enabledAtLoad;
  return c;
}

// A label in the tab order, where a screen reader reads it, but not a tab stop. Without a
// font it takes the window's.
inline ControlLayout TextLabel(std::string name, int left, int top, int width, int height,
                               std::u16string caption, int tabIndex,
                               std::optional<Font> font = std::nullopt) {
  ControlLayout c = PlaceControl(std::move(name), ControlKind::kLabel, left, top, width, height);
  c.caption = std::move(caption);
  c.font = std::move(font);
  c.tabIndex = tabIndex;
  return c;
}

// A push button with its picture left of the caption; a tab stop. Without a font it takes the
// window's.
inline ControlLayout PictureButton(std::string name, int left, int top, int width, int height,
                                   std::u16string caption, std::string picture, int tabIndex,
                                   std::optional<Font> font = std::nullopt) {
  ControlLayout c = PlaceControl(std::move(name), ControlKind::kButton, left, top, width, height);
  c.caption = std::move(caption);
  c.picture = std::move(picture);
  c.font = std::move(font);
  c.tabIndex = tabIndex;
  c.tabStop = true;
  return c;
}

struct WindowLayout {
  std::string name;
  std::u16string caption;                 // design-time caption
  int clientWidth = 0, clientHeight = 0;  // twips
  Rgb backColor = 0xFFFFFF;
  std::string icon;  // file name under assets/
  Font defaultFont{"MS Sans Serif", 8.25, false};
  std::vector<ControlLayout> controls;
};

}  // namespace larkspan
