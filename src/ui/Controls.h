#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace larkspan {

// A colour as red, green and blue components: 0xRRGGBB.
using Rgb = std::uint32_t;

// The controls that the windows hold. Each window asks its back end for them by name (the
// names of the window's layout table) and uses nothing else of a toolkit. The objects live
// as long as their window; closing a window resets them to their layout values, so the
// next opening starts from the layout again.

class Label {
 public:
  virtual ~Label() = default;
  virtual void SetCaption(const std::u16string& caption) = 0;
  virtual void SetForeColor(Rgb color) = 0;
};

class TextBox {
 public:
  virtual ~TextBox() = default;
  virtual void SetText(const std::u16string& text) = 0;
  virtual std::u16string Text() const = 0;
};

class Button {
 public:
  virtual ~Button() = default;
  virtual void SetCaption(const std::u16string& caption) = 0;
  // A hidden button neither shows nor takes clicks.
  virtual void SetVisible(bool visible) = 0;
  // A disabled button raises no click.
  virtual void SetEnabled(bool enabled) = 0;
  // Raised once per click of an enabled, visible button.
  std::function<void()> onClick;
};

class Image {
 public:
  virtual ~Image() = default;
  // The tag text set in the layout.
  virtual std::u16string Tag() const = 0;
  std::function<void()> onClick;
};

class ProgressBar {
 public:
  virtual ~ProgressBar() = default;
  virtual void SetMax(int maximum) = 0;
  // The bar shows value / maximum of its length; the minimum is 0.
  virtual void SetValue(int value) = 0;
};

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetInterval(int milliseconds) = 0;
  // An enabled timer ticks every interval, counted from the moment it was enabled.
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  std::function<void()> onTick;
};

// A top-level window built from a layout table.
class Window {
 public:
  virtual ~Window() = default;

  virtual void SetCaption(const std::u16string& caption) = 0;
  // Shows the window without owner, not modal. The load event runs first when the window
  // is not loaded yet (first showing, or the first after a close).
  virtual void Show() = 0;
  // Shows the window modally (load event first, as for Show) and returns when it has been
  // closed or hidden; meanwhile the other windows take no input.
  virtual void ShowModal() = 0;
  // A close request, as from the close box: raises the query-unload and unload events, each
  // of which may refuse it. Returns whether the window closed. A closed window is hidden and
  // its controls are back at their layout values.
  virtual bool Close() = 0;
  // Puts the window into the topmost band of the window order or takes it out, without
  // moving, resizing or hiding it.
  virtual void SetTopmost(bool onTop) = 0;

  // The controls, by their layout names. Asking for a name that the layout does not hold
  // (or holds as another kind) is a programming error and throws std::logic_error.
  virtual Label& GetLabel(std::string_view name) = 0;
  virtual TextBox& GetTextBox(std::string_view name) = 0;
  virtual Button& GetButton(std::string_view name) = 0;
  virtual Image& GetImage(std::string_view name) = 0;
  virtual ProgressBar& GetProgressBar(std::string_view name) = 0;
  virtual Timer& GetTimer(std::string_view name) = 0;

  std::function<void()> onLoad;
  // Both receive a cancel flag, false on entry; setting it refuses the close.
  std::function<void(bool& cancel)> onQueryUnload;
  std::function<void(bool& cancel)> onUnload;
};

// The platform's Save dialog. The caller sets the three properties, calls ShowSave (modal)
// and reads the chosen path back from FileName, which is empty after a dismissal. The dialog
// asks no overwrite question of its own.
class SaveDialog {
 public:
  virtual ~SaveDialog() = default;
  // Filter: pairs of a description and a pattern, all separated by "|".
  std::u16string InitDir, Filter, FileName;
  virtual void ShowSave() = 0;
};

}  // namespace larkspan
