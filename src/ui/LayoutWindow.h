#pragma once
// What a top-level window built from a layout table does alike in every back end: its
// controls by their layout names, the load on the first showing, the close that the
// query-unload and unload events may refuse, and the return to the layout's values. A back
// end adds how its window is shown, hidden and centred.
//
// The controls live as long as the window object: a close hides the window and resets the
// controls but destroys nothing, so a close that arrives while the window's own code runs
// deeper in the stack (inside an event pump) pulls nothing from under it.
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "os/Timing.h"
#include "ui/Controls.h"
#include "ui/Layout.h"

namespace larkspan {

// BackendControl: the back end's base of its controls, with Layout(), OnWindowLoaded() (the
// window's load event is about to run) and Reset() (back to the layout's values). Each
// control class derives from it and from its contract (Label, Button, ...). Surface: what
// controls are built on, the window's own or a frame's; Frame: the frame control, whose
// Surface() its children are built on.
template <class BackendControl, class Surface, class Frame>
class LayoutWindow : public Window {
 public:
  void Show() final {
    if (EnsureLoaded()) ShowActive();
  }

  bool Close() final {
    if (!loaded_) return true;
    // A second request while the first one's handlers run (they may ask the user) waits for
    // the answer to the first.
    if (closing_) return false;
    closing_ = true;
    bool cancel = false;
    if (onQueryUnload) onQueryUnload(cancel);
    if (!cancel && onUnload) onUnload(cancel);
    closing_ = false;
    if (cancel) return false;
    Unload();
    return true;
  }

  Label& GetLabel(std::string_view name) final { return Find<Label>(name, "label"); }
  TextBox& GetTextBox(std::string_view name) final { return Find<TextBox>(name, "text box"); }
  Button& GetButton(std::string_view name) final { return Find<Button>(name, "button"); }
  Image& GetImage(std::string_view name) final { return Find<Image>(name, "image"); }
  ProgressBar& GetProgressBar(std::string_view name) final {
    return Find<ProgressBar>(name, "progress bar");
  }
  Timer& GetTimer(std::string_view name) final { return Find<Timer>(name, "timer"); }

  // A control by its layout name, whatever its kind; nullptr for a name the layout lacks.
  BackendControl* ControlNamed(std::string_view name) const {
    auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : found->second;
  }

 protected:
  explicit LayoutWindow(const WindowLayout& layout) : layout_(layout) {}

  // Builds the table's controls in its order, each on its parent's surface: the window's own,
  // or that of a frame that the table holds before it.
  void BuildControls(Surface& windowSurface) {
    for (const ControlLayout& control : layout_.controls) {
      Surface& surface = SurfaceFor(control.parent, windowSurface);
      switch (control.kind) {
        case ControlKind::kLabel:
          AddControl(NewLabel(control, surface));
          break;
        case ControlKind::kTextBox:
          AddControl(NewTextBox(control, surface));
          break;
        case ControlKind::kButton:
          AddControl(NewButton(control, surface));
          break;
        case ControlKind::kImage:
          AddControl(NewImage(control, surface));
          break;
        case ControlKind::kProgressBar:
          AddControl(NewProgressBar(control, surface));
          break;
        case ControlKind::kTimer:
          AddControl(NewTimer(control));
          break;
        case ControlKind::kFrame:
          AddControl(NewFrame(control, surface));
          break;
        case ControlKind::kShape:
          DrawShape(control, surface);
          break;
      }
    }
  }

  // The back end's factory, one method for each kind of control, each building it on the
  // surface given. A timer needs none; a shape makes no control but is drawn on its surface.
  virtual std::unique_ptr<BackendControl> NewLabel(const ControlLayout& c, Surface& on) = 0;
  virtual std::unique_ptr<BackendControl> NewTextBox(const ControlLayout& c, Surface& on) = 0;
  virtual std::unique_ptr<BackendControl> NewButton(const ControlLayout& c, Surface& on) = 0;
  virtual std::unique_ptr<BackendControl> NewImage(const ControlLayout& c, Surface& on) = 0;
  virtual std::unique_ptr<BackendControl> NewProgressBar(const ControlLayout& c, Surface& on) = 0;
  virtual std::unique_ptr<BackendControl> NewTimer(const ControlLayout& c) = 0;
  virtual std::unique_ptr<Frame> NewFrame(const ControlLayout& c, Surface& on) = 0;
  virtual void DrawShape(const ControlLayout& c, Surface& on) = 0;

  // The controls go before the native window that they live in: the back end's destructor
  // calls this first.
  void DestroyControls() {
    byName_.clear();
    controls_.clear();
  }

  // Runs the load event when the window is not loaded; false when the load closed it again.
  bool EnsureLoaded() {
    if (loaded_) return true;
    loaded_ = true;
    CentreOnScreen();
    if constexpr (kTimingBuild) TimingMark("load:" + layout_.name);
    for (const auto& control : controls_) control->OnWindowLoaded();
    if (onLoad) onLoad();
    return loaded_;
  }
  bool Loaded() const { return loaded_; }

  // The back end's part: the whole window, frame included, centred on the screen; shown and
  // made the active window; hidden (by a close); and what it does once the close is complete.
  virtual void CentreOnScreen() = 0;
  virtual void ShowActive() = 0;
  virtual void Hide() = 0;
  virtual void Unloaded() {}

  const WindowLayout layout_;
  std::vector<std::unique_ptr<BackendControl>> controls_;

 private:
  void Unload() {
    loaded_ = false;
    Hide();
    for (const auto& control : controls_) control->Reset();
    SetCaption(layout_.caption);
    Unloaded();
  }

  void AddControl(std::unique_ptr<BackendControl> control) {
    const std::string& name = control->Layout().name;
    if (!byName_.emplace(name, control.get()).second) {
      throw std::logic_error("layout " + layout_.name + " holds " + name + " twice");
    }
    controls_.push_back(std::move(control));
  }

  Surface& SurfaceFor(const std::string& parentName, Surface& windowSurface) {
    if (parentName.empty()) return windowSurface;
    auto* frame = dynamic_cast<Frame*>(ControlNamed(parentName));
    if (frame == nullptr) {
      throw std::logic_error("layout " + layout_.name + ": no frame " + parentName +
                             " before its children");
    }
    return frame->Surface();
  }

  template <class Contract>
  Contract& Find(std::string_view name, const char* kind) {
    auto found = byName_.find(name);
    if (found != byName_.end()) {
      if (auto* control = dynamic_cast<Contract*>(found->second)) return *control;
    }
    throw std::logic_error("window " + layout_.name + " holds no " + kind + " named " +
                           std::string(name));
  }

  std::map<std::string, BackendControl*, std::less<>> byName_;
  bool loaded_ = false;
  bool closing_ = false;
};

}  // namespace larkspan
