// The Win32 back end builds both windows from their layout tables and drives them through the
// control contracts.
#include <gtest/gtest.h>

#include "app/CheckUpdatesLayout.h"
#include "app/DownFormLayout.h"
#include "ui/win32/Win32Backend.h"
#include "ui/win32/Win32Painted.h"
#include "ui/win32/Win32Window.h"
#include "update/DownProgress.h"

namespace larkspan {
namespace {

// clang-format off
bool Inside(const RECT& outer, const RECT& inner) { RECT u; return UnionRect(&u, &outer, &inner) && EqualRect(&u, &outer); }
bool Apart(const RECT& a, const RECT& b) { RECT i; return !IntersectRect(&i, &a, &b); }
// clang-format on

class Win32WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {  // Wine makes windows only with a display to show them on
    HWND probe = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, {}, {}, {}, {});
    if (probe == nullptr) GTEST_SKIP() << "no display to make windows on";
    DestroyWindow(probe);
  }
  static const Win32Control& Part(Window& window, const std::string& name) {
    const Win32Control* control = dynamic_cast<Win32Window&>(window).ControlNamed(name);
    return control ? *control : throw std::runtime_error("no control " + name);
  }
  static HWND Top(Window& window) { return dynamic_cast<Win32Window&>(window).Handle(); }
  Win32Backend backend;
};

// Every control is built where its layout puts it; the labels, holding the longest texts the
// windows give them, show those whole and run into nothing that they stood clear of.
TEST_F(Win32WindowTest, BothWindowsHoldEveryControlAndShowLongTextsWhole) {
  std::u16string downloaded;  // the longest texts: four digits and two decimals, 100 %
  WriteDownText(downloaded, 1073731338, 100);
  // The longest announcement that a language file holds, and the longest release line.
  const std::u16string resultLine =
      u"Une nouvelle version est disponible\u00a0!\r\nVantrel 2026 Version 10.25 Build 9999999";
  const std::pair<const WindowLayout*, std::vector<std::pair<const char*, std::u16string>>>
      cases[] = {{&CheckUpdatesFormLayout(), {{checkupdates::StatusL, resultLine}}},
                 {&DownFormLayout(),
                  {{downform::lblDownVal, downloaded},
                   {downform::lblFileSizeVal, SizeText(1073731338)},
                   {downform::lblTransferRateVal, RateText(INT16_MAX)},
                   {downform::lblDownStat, u"Receiving the file, please wait..."}}}};
  for (const auto& [layout, texts] : cases) {
    SCOPED_TRACE(layout->name);
    const std::unique_ptr<Window> window = backend.NewWindow(*layout);
    for (const auto& [name, text] : texts) window->GetLabel(name).SetCaption(text);
    const Win32Scale scale{WindowDpi(Top(*window))};
    for (const ControlLayout& c : layout->controls) {
      if (c.kind == ControlKind::kShape || c.kind == ControlKind::kTimer) continue;
      const Win32Control& part = Part(*window, c.name);
      if (RECT shown, place = part.Bounds(); part.Handle() != nullptr) {
        GetWindowRect(part.Handle(), &shown);
        MapWindowPoints(nullptr, GetParent(part.Handle()), reinterpret_cast<POINT*>(&shown), 2);
        EXPECT_TRUE(EqualRect(&shown, &place)) << c.name << " not at its place";
      }
      if (c.kind != ControlKind::kLabel || !c.visible) continue;
      const auto& label = dynamic_cast<const Win32Label&>(part);
      EXPECT_TRUE(Inside(label.Bounds(), label.TextExtent())) << c.name << " cut";
      for (const ControlLayout& o : layout->controls) {
        if (&o == &c || o.parent != c.parent || o.kind == ControlKind::kTimer || !o.visible)
          continue;
        const RECT there =
            o.kind == ControlKind::kShape ? scale.Place(o) : Part(*window, o.name).Bounds();
        EXPECT_FALSE((Inside(there, scale.Place(c)) && !Inside(there, label.Bounds())) ||
                     (Apart(there, scale.Place(c)) && !Apart(there, label.Bounds())))
            << c.name << " runs into " << o.name;
      }
    }
  }
}

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"  // left-out members: defaults
// clang-format off
WindowLayout TestLayout() {
  using K = ControlKind;
  WindowLayout w{.name = "Test", .clientWidth = 6000, .clientHeight = 4500};
  w.controls = {
      {.name = "Tick", .kind = K::kTimer, .interval = 10},
      {.name = "StatusL", .left = 300, .top = 300, .width = 600, .height = 225,
       .caption = u"[Status]", .autoSize = true},
      {.name = "StopB", .kind = K::kButton, .left = 300, .top = 3600, .width = 1500, .height = 450,
       .tabIndex = 0, .tabStop = true},
      {.name = "Box", .kind = K::kFrame, .left = 3300, .top = 2100, .width = 2400, .height = 1350},
      {.name = "Pic", .kind = K::kImage, .parent = "Box", .left = 150, .top = 150, .width = 750,
       .height = 700, .handCursor = true},
  };
  return w;
}
// clang-format on

TEST_F(Win32WindowTest, OnlyWholeClicksOnPicturesAndShownEnabledButtonsCount) {
  const std::unique_ptr<Window> window = backend.NewWindow(TestLayout());
  int stops = 0, pictures = 0;
  window->GetButton("StopB").onClick = [&] { ++stops; };
  window->GetImage("Pic").onClick = [&] { ++pictures; };
  window->Show();
  const HWND button = Part(*window, "StopB").Handle(), frame = Part(*window, "Box").Handle();
  const LPARAM onPicture = MAKELPARAM(20, 20), elsewhere = MAKELPARAM(100, 80);
  // A click, a press let go elsewhere, and a double-click (down, up, double, up): two clicks.
  // clang-format off
  for (auto [message, at] : {std::pair{WM_LBUTTONDOWN, onPicture}, {WM_LBUTTONUP, onPicture},
       {WM_LBUTTONDOWN, onPicture}, {WM_LBUTTONUP, elsewhere}, {WM_LBUTTONDOWN, onPicture},
       {WM_LBUTTONUP, onPicture}, {WM_LBUTTONDBLCLK, onPicture}, {WM_LBUTTONUP, onPicture}}) {
    SendMessageW(frame, message, MK_LBUTTON, at);
  }
  // clang-format on
  SetFocus(button);
  SendMessageW(button, BM_CLICK, 0, 0);
  SendMessageW(Top(*window), WM_COMMAND, IDOK, 0);  // Enter on the focused button
  window->GetButton("StopB").SetEnabled(false);
  SendMessageW(Top(*window), WM_COMMAND, IDOK, 0);
  window->GetButton("StopB").SetEnabled(true);
  window->GetButton("StopB").SetVisible(false);
  SendMessageW(button, BM_CLICK, 0, 0);  // as a tool might: a hidden button takes no click
  EXPECT_EQ(std::pair(stops, pictures), std::pair(2, 2));
}

// A refused close keeps the window shown as it is; a close that goes ahead hides it and puts
// every control back to the layout's values. A modal showing keeps the others from input.
TEST_F(Win32WindowTest, ClosesAreAskedAndAModalWindowHoldsTheOthers) {
  const std::unique_ptr<Window> owner = backend.NewWindow(TestLayout());
  const std::unique_ptr<Window> modal = backend.NewWindow(TestLayout());
  const HWND ownerWindow = Top(*owner);
  int queries = 0;
  owner->onQueryUnload = [&](bool& cancel) { cancel = ++queries < 3; };
  owner->Show();
  owner->GetLabel("StatusL").SetCaption(u"A caption longer than the layout's");
  owner->GetButton("StopB").SetVisible(false);
  EXPECT_FALSE(owner->Close());
  SendMessageW(ownerWindow, WM_CLOSE, 0, 0);  // the close box
  EXPECT_TRUE(IsWindowVisible(ownerWindow));
  EXPECT_TRUE(owner->Close());
  const auto& label = dynamic_cast<const Win32Label&>(Part(*owner, "StatusL"));
  EXPECT_EQ(std::pair(queries, label.DrawnText()), std::pair(3, std::wstring(L"[Status]")));
  EXPECT_FALSE(IsWindowVisible(ownerWindow));
  EXPECT_TRUE(GetWindowLongW(Part(*owner, "StopB").Handle(), GWL_STYLE) & WS_VISIBLE);

  owner->Show();
  bool ownerTookInput = true;
  modal->GetTimer("Tick").onTick = [&] {
    ownerTookInput = IsWindowEnabled(ownerWindow);
    modal->Close();
  };
  modal->GetTimer("Tick").SetEnabled(true);
  modal->ShowModal();
  EXPECT_FALSE(ownerTookInput);
  EXPECT_TRUE(IsWindowEnabled(ownerWindow));
}

}  // namespace
}  // namespace larkspan
