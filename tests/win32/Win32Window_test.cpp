// The Win32 back end builds both windows from their layout tables at the screen's scale and
// drives them through the control contracts; a screen reader reads them through MSAA, in this
// process (Wine's oleacc reaches no other process's windows). The program keeps its update
// window on top until the download and asks for the file with the system's Save dialog.
#include <gtest/gtest.h>
#include <process.h>

#include <cmath>
#include <filesystem>
#include <span>

#include "Product.h"
#include "app/AppHarness.h"
#include "app/CheckUpdatesForm.h"
#include "app/CheckUpdatesLayout.h"
#include "app/DownFormLayout.h"
#include "settings/Language.h"
#include "ui/TestLayout.h"
#include "ui/win32/Win32Backend.h"
#include "ui/win32/Win32Painted.h"
#include "ui/win32/Win32SaveDialog.h"
#include "ui/win32/Win32Services.h"
#include "ui/win32/Win32Window.h"
#include "update/DownProgress.h"
// after windows.h, which the headers above bring
#include <commctrl.h>
#include <oleacc.h>

namespace larkspan {
namespace {

// clang-format off
bool Inside(const RECT& outer, const RECT& inner) { RECT u; return UnionRect(&u, &outer, &inner) && EqualRect(&u, &outer); }
const Win32Control& Part(Window& window, const char* name) {
  const Win32Control* c = dynamic_cast<Win32Window&>(window).ControlNamed(name);
  return c ? *c : throw std::runtime_error(std::string("no control ") + name); }
HWND Top(Window& window) { return dynamic_cast<Win32Window&>(window).Handle(); }
// clang-format on

// Without a display Wine makes no window: every test here then fails.
struct Win32WindowTest : ::testing::Test {
  Win32Backend backend;
  const std::unique_ptr<Window> window = backend.NewWindow(test::TestLayout());
};

// Left, top, width and height in pixels at 96 and at 144 dots per inch, worked out from the
// layouts' twips (twips / 15 * dpi / 96, halves up); in Frame1 relative to it. First the
// client area. Close and Run File share the places of Stop and Cancel.
// clang-format off
struct Expected { const char* name; int at96[4], at144[4]; };
const Expected kUpdateWindow[] = {
    {"", {0, 0, 462, 490}, {0, 0, 693, 735}},
    {"StatusL", {16, 13, 323, 38}, {24, 20, 485, 57}},   {"DownloadCB", {344, 8, 113, 49}, {516, 12, 170, 74}},
    {"NewsT", {16, 72, 433, 169}, {24, 108, 650, 254}},  {"HelpPic", {8, 249, 50, 46}, {12, 374, 75, 69}},
    {"lblLastNews", {64, 264, 65, 17}, {96, 396, 98, 26}},  {"Frame1", {16, 304, 433, 137}, {24, 456, 650, 206}},
    {"Image2", {0, 8, 104, 112}, {0, 12, 156, 168}},      {"Label3", {88, 0, 321, 25}, {132, 0, 482, 38}},
    {"lblProdDesc", {88, 24, 345, 65}, {132, 36, 518, 98}}, {"imgReadMore", {192, 88, 129, 51}, {288, 132, 194, 77}},
    {"imgDownload", {320, 88, 116, 51}, {480, 132, 174, 77}}, {"btnCancel", {8, 456, 449, 33}, {12, 684, 674, 50}}};
const Expected kDownloadWindow[] = {
    {"", {0, 0, 475, 185}, {0, 0, 713, 278}},
    {"lblDownStat", {8, 11, 105, 13}, {12, 17, 158, 20}},     {"ProBarDownload", {8, 32, 457, 33}, {12, 48, 686, 50}},
    {"lblFileSize", {8, 72, 39, 13}, {12, 108, 59, 20}},      {"lblFileSizeVal", {104, 72, 45, 13}, {156, 108, 68, 20}},
    {"lblDown", {8, 96, 60, 13}, {12, 144, 90, 20}},          {"lblDownVal", {104, 96, 66, 13}, {156, 144, 99, 20}},
    {"lblTransferRate", {8, 120, 65, 13}, {12, 180, 98, 20}}, {"lblTransferRateVal", {104, 120, 71, 13}, {156, 180, 107, 20}},
    {"btnStopDownload", {128, 144, 105, 30}, {192, 216, 158, 45}}, {"btnCancel", {248, 144, 105, 30}, {372, 216, 158, 45}}};
// clang-format on

// The box that a label's text needs in its font at `dpi`, measured here, at the label's place.
RECT TextBox(const Win32Label& label, const Font& defaultFont, int dpi) {
  const Font& font = label.Layout().font.value_or(defaultFont);
  const std::wstring face(font.family.begin(), font.family.end());
  HFONT handle = CreateFontW(-static_cast<int>(std::lround(font.points * dpi / 72)), 0, 0, 0,
                             font.bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                             face.c_str());
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, handle);
  const RECT place = label.Bounds();
  const UINT wrap = label.Layout().wordWrap ? DT_WORDBREAK : 0;
  RECT box{0, 0, wrap ? place.right - place.left : 0, 0};
  DrawTextW(dc, label.DrawnText().c_str(), -1, &box, DT_CALCRECT | DT_NOPREFIX | wrap);
  DeleteDC(dc);
  DeleteObject(handle);
  OffsetRect(&box, place.left, place.top);
  return box;
}

// Both windows, centred, with every control where the table puts it at the screen's scale;
// every label, holding the longest text the windows give it, shows it whole.
TEST_F(Win32WindowTest, LayoutsInPixelsAtTheScreensScaleWithEveryTextWhole) {
  const int dpi = std::getenv("LARKSPAN_TEST_AT_144_DPI") != nullptr ? 144 : 96;
  // The longest texts: four digits and two decimals, 100 %.
  const std::u16string downloaded = DownProgress(1073731338).After(1073731338).downText;
  // The longest announcement that a language file holds, and the longest release line.
  const std::u16string resultLine =
      u"Une nouvelle version est disponible\u00a0!\r\nVantrel 2026 Version 10.25 Build 9999999";
  // clang-format off
  const std::tuple<const WindowLayout&, std::span<const Expected>,
                   std::vector<std::pair<const char*, std::u16string>>>
      cases[] = {{CheckUpdatesFormLayout(), kUpdateWindow, {{"StatusL", resultLine}}},
                 {DownFormLayout(), kDownloadWindow,
                  {{"lblDownVal", downloaded}, {"lblFileSizeVal", SizeText(1073731338)},
                   {"lblTransferRateVal", RateText(INT16_MAX)},
                   {"lblDownStat", u"Receiving the file, please wait..."}}}};
  // clang-format on
  for (const auto& [layout, places, texts] : cases) {
    SCOPED_TRACE(layout.name);
    const std::unique_ptr<Window> window = backend.NewWindow(layout);
    window->Show();
    ASSERT_EQ(GetDpiForWindow(Top(*window)), static_cast<UINT>(dpi)) << "the screen's scale";
    RECT frame, work, got;
    GetWindowRect(Top(*window), &frame);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(std::abs(frame.left + frame.right - work.left - work.right), 1) << "centred";
    EXPECT_LE(std::abs(frame.top + frame.bottom - work.top - work.bottom), 1) << "centred";
    for (const auto& [name, text] : texts) window->GetLabel(name).SetCaption(text);
    for (const Expected& e : places) {
      const int* p = dpi == 144 ? e.at144 : e.at96;
      const RECT want{p[0], p[1], p[0] + p[2], p[1] + p[3]};
      if (*e.name == '\0') {
        GetClientRect(Top(*window), &got);
        EXPECT_TRUE(EqualRect(&got, &want)) << "client area " << got.right << "x" << got.bottom;
        continue;
      }
      const Win32Control& part = Part(*window, e.name);
      got = part.Bounds();
      if (part.Handle() != nullptr) {
        GetWindowRect(part.Handle(), &got);
        MapWindowPoints(nullptr, GetParent(part.Handle()), reinterpret_cast<POINT*>(&got), 2);
      }
      const auto* label = dynamic_cast<const Win32Label*>(&part);
      EXPECT_TRUE(label ? got.left == want.left && got.top == want.top &&
                              (part.Layout().autoSize || Inside(got, want))
                        : EqualRect(&got, &want))
          << e.name << " at " << got.left << "," << got.top << " " << got.right - got.left << "x"
          << got.bottom - got.top;
      EXPECT_TRUE(!label || Inside(got, TextBox(*label, layout.defaultFont, dpi)))
          << e.name << " cut";
    }
  }
}

// Wine reads the user's LogPixels as each program starts: the tests above once more in a
// program of their own at 144 dots per inch. CTest runs this test alone, as any program
// started meanwhile would be at 144 too.
TEST(Win32Dpi, WindowsAt144DotsPerInch) {
  constexpr wchar_t kDesktop[] = L"Control Panel\\Desktop";
  DWORD dpi = 144, code = 1;
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels", REG_DWORD, &dpi, 4), 0);
  _wputenv(L"LARKSPAN_TEST_AT_144_DPI=1");
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const auto run = reinterpret_cast<HANDLE>(
      _wspawnl(_P_NOWAIT, self, L"test", L"--gtest_filter=Win32WindowTest.*", nullptr));
  if (run != INVALID_HANDLE_VALUE) {
    if (WaitForSingleObject(run, 120'000) != WAIT_OBJECT_0) TerminateProcess(run, 1);
    GetExitCodeProcess(run, &code);
    CloseHandle(run);
  }
  _wputenv(L"LARKSPAN_TEST_AT_144_DPI=");
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels");  // back to Wine's 96
  EXPECT_EQ(code, 0u) << "the run at 144 dots per inch failed: its output is above";
}

// The program on the system's windows: the update window stays on top until the download is
// asked for, and takes no input while the download window is open. The Save dialog starts in the
// user's desktop folder with the installer's name and extension. (Its replace question and No: the
// download journey of larkspan.exe.)
struct Win32ProgramTest : test::AppTest {
  Win32Backend win32;
};

TEST_F(Win32ProgramTest, OnTopUntilTheDownloadThenTheSaveDialogAsTheProgramSetsIt) {
  http.Serve("/update.txt", test::Reply::Text("2026#3.2#0101001#http://h/vantrel_setup.exe#New"));
  SetEnvironmentVariableW(L"USERPROFILE", L"C:\\users\\Zo\u00eb");
  Main(u"x*3.1*0101000*" + FromUtf8(http.Url("/update.txt")), win32);
  Globals().probeAddresses = {FromUtf8(http.Url("/")), FromUtf8(http.Url("/"))};
  Globals().CompanyURL = FromUtf8(http.Url("/"));
  const HWND update = Top(TheUpdateWindow().Form());
  const HWND offer = Part(TheUpdateWindow().Form(), "DownloadCB").Handle();
  const HWND cancel = Part(TheDownloadWindow().Form(), "btnCancel").Handle();
  const auto onTop = [&] { return (GetWindowLongW(update, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  for (int i = 0; i < 500 && !IsWindowVisible(offer); ++i, Sleep(20)) Win32DoEvents();
  ASSERT_TRUE(IsWindowVisible(offer)) << "no offer after the check";
  EXPECT_TRUE(onTop());

  std::vector<std::wstring> dialogs;  // what each showing was given
  const SaveFileCall previous = SetSaveFileCall([&](OPENFILENAMEW& d) {
    std::wstring filter;
    for (const wchar_t* p = d.lpstrFilter; p && *p; p += wcslen(p) + 1) filter.append(p) += L'|';
    dialogs.push_back((d.lpstrInitialDir ? d.lpstrInitialDir : L"(none)") + (L" " + filter) + L" " +
                      d.lpstrFile + L" " + std::to_wstring(d.Flags) + (onTop() ? L" on top" : L"") +
                      (IsWindowEnabled(update) ? L", the update window takes input" : L""));
    // The user dismisses it; Cancel twice (the stop, then the close) closes the window.
    for (int i = 0; i < 2; ++i) PostMessageW(cancel, BM_CLICK, 0, 0);
    return FALSE;
  });
  SendMessageW(offer, BM_CLICK, 0, 0);
  SetSaveFileCall(previous);
  const auto flags = std::to_wstring(OFN_EXPLORER | OFN_HIDEREADONLY);
  EXPECT_EQ(dialogs,
            std::vector{L"C:\\users\\Zo\u00eb\\Desktop\\ *.exe|*.exe| vantrel_setup.exe " + flags});
  EXPECT_FALSE(onTop());
  EXPECT_TRUE(IsWindowEnabled(update));  // again, once the download window has closed
}

TEST_F(Win32WindowTest, OnlyWholeClicksOnPicturesAndShownEnabledButtonsCount) {
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
// every control back to the layout's values: the next opening's bar starts empty and fills again.
TEST_F(Win32WindowTest, ClosesAreAskedAndPutTheControlsBack) {
  const HWND shown = Top(*window), bar = Part(*window, "Bar").Handle();
  const auto filled = [&](int value) {  // the bar's range and position after `value` is set
    if (value >= 0) window->GetProgressBar("Bar").SetValue(value);
    return std::tuple(SendMessageW(bar, PBM_GETRANGE, TRUE, 0),
                      SendMessageW(bar, PBM_GETRANGE, FALSE, 0),
                      SendMessageW(bar, PBM_GETPOS, 0, 0));
  };
  int queries = 0;
  window->onQueryUnload = [&](bool& cancel) { cancel = ++queries < 3; };
  window->Show();
  EXPECT_EQ(filled(70), std::tuple(0, 100, 70));
  window->GetLabel("StatusL").SetCaption(u"A caption longer than the layout's");
  window->GetButton("StopB").SetVisible(false);
  EXPECT_FALSE(window->Close());
  SendMessageW(shown, WM_CLOSE, 0, 0);  // the close box
  EXPECT_TRUE(IsWindowVisible(shown));
  EXPECT_TRUE(window->Close());
  const auto& label = dynamic_cast<const Win32Label&>(Part(*window, "StatusL"));
  EXPECT_EQ(std::pair(queries, label.DrawnText()),
            std::pair(3, std::wstring(L"[Connection Status]")));
  EXPECT_FALSE(IsWindowVisible(shown));
  EXPECT_TRUE(GetWindowLongW(Part(*window, "StopB").Handle(), GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(filled(-1), std::tuple(0, 100, 0));
  window->Show();
  EXPECT_EQ(filled(70), std::tuple(0, 100, 70));
}

std::wstring Take(BSTR text) {  // on one line
  std::wstring taken = text != nullptr ? text : L"";
  SysFreeString(text);
  for (size_t at; (at = taken.find(L"\r\n")) != std::wstring::npos;) taken.replace(at, 2, L"\\n");
  return taken;
}

// The client object of `window` and, indented, its children as a screen reader reaches them:
// a simple child by its id, a child window through the object that get_accChild gives (Wine's
// says no more than its window, whose client object is read in turn). One line each: role
// "name" = value, the states below, and for a simple child its place in the window's client
// area, with "(hit: n)" when a hit test at its centre finds n instead. The child named `press`
// gets its default action.
std::wstring ReadTree(HWND window, const std::wstring& press = L"-",
                      const std::wstring& indent = L"") {
  IAccessible* object = nullptr;
  AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                             reinterpret_cast<void**>(&object));
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  LONG count = 0;
  object->get_accChildCount(&count);
  std::wstring tree;
  for (LONG child = CHILDID_SELF; child <= count; ++child) {
    VARIANT id{}, role{}, state{}, hit{};
    id.vt = VT_I4, id.lVal = child;
    IDispatch* reached = nullptr;
    if (child != CHILDID_SELF && object->get_accChild(id, &reached) == S_OK) {
      IAccessible* windowObject = nullptr;
      HWND handle = nullptr;
      reached->QueryInterface(&windowObject), reached->Release();
      WindowFromAccessibleObject(windowObject, &handle), windowObject->Release();
      tree += ReadTree(handle, press, indent + L"  ");
      continue;
    }
    BSTR name = nullptr, value = nullptr;
    wchar_t text[40] = L"";
    long x, y, width, height;
    object->get_accRole(id, &role), object->get_accState(id, &state);
    object->get_accName(id, &name), object->get_accValue(id, &value);
    GetRoleTextW(static_cast<DWORD>(role.lVal), text, 40);
    const std::wstring named = Take(name), valued = Take(value);
    tree += indent + (child == CHILDID_SELF ? L"" : L"  ") + text + L" \"" + named + L"\"" +
            (valued.empty() ? L"" : L" = " + valued);
    for (DWORD bit : {STATE_SYSTEM_UNAVAILABLE, STATE_SYSTEM_FOCUSED, STATE_SYSTEM_INVISIBLE,
                      STATE_SYSTEM_FOCUSABLE})
      if (state.lVal & bit) GetStateTextW(bit, text, 40), tree += L", " + std::wstring(text);
    if (child != CHILDID_SELF && object->accLocation(&x, &y, &width, &height, id) == S_OK) {
      tree += L" at " + std::to_wstring(x - origin.x) + L"," + std::to_wstring(y - origin.y);
      object->accHitTest(x + width / 2, y + height / 2, &hit);
      if (hit.vt != VT_I4 || hit.lVal != child)
        tree += L" (hit: " + std::to_wstring(hit.lVal) + L")";
    }
    tree += L"\n";
    if (named == press) tree += object->accDoDefaultAction(id) == S_OK ? L"" : L"(no action)";
  }
  object->Release();
  if (indent.empty()) std::printf("%ls", tree.c_str());
  return tree;
}

// Both windows as a screen reader reads them, printed as read: the labels and pictures drawn on
// the surfaces are named static text and links, a link's default action opens its address, and
// a changed label is announced once per paint. The focus stays on a shown button.
TEST_F(Win32ProgramTest, BothWindowsAsAScreenReaderReadsThem) {
  UseUi(&win32);  // the fixture's own back end puts the one before back
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const auto english = std::filesystem::path(exe).parent_path() / "../bin/Lang/English.lng";
  ASSERT_EQ(LoadLanguageFile(english.u16string(), Globals().LangText), 0);

  // The update window after a check that offers the release; Read More is pressed.
  CheckUpdatesForm update(TheDownloadWindow);
  update.Show();
  update.Form().GetTimer(checkupdates::DoJobTimer).SetEnabled(false);  // no check: it is shown
  update.ShowNews(DecideCheck(u"2026#3.2#0201000#u#Faster scans.<Crlf>- A dark theme",
                              {kProductName, u"3.1", u"0101000"}, Globals().LangText));
  const std::wstring tree = ReadTree(Top(update.Form()), L"Ostrafel - Read More");
  EXPECT_EQ(opened, std::vector<std::string>{deployment::kPromoPageUrl});
  // The pictures of the promotion panel, the news box and the buttons are reached through their
  // child windows; the focus is on the first shown button in the tab order.
  for (const wchar_t* line :
       {L"  static text \"A new version is available!\\nVantrel2026 Version 3.2 "
        L"Build 0201000\" at 16,13\n",
        L" = Faster scans.\\n- A dark theme, focusable\n", L"    graphic \"\" at 0,8\n",
        L"    link \"Ostrafel - Read More\" = http://", L"  client \"Download\", focusable\n",
        L"  client \"Cancel\", focused, focusable\n"})
    EXPECT_NE(tree.find(line), std::wstring::npos) << line;

  // The download window as at the end of a download, its three captions for the status given
  // before one paint, and Stop disabled, as a press leaves it. The focus goes from Cancel to Run
  // File, not to the window.
  static std::vector<std::pair<HWND, LONG>> announced;
  const HWINEVENTHOOK hook = SetWinEventHook(
      EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
      [](HWINEVENTHOOK, DWORD, HWND window, LONG, LONG child, DWORD, DWORD) {
        announced.emplace_back(window, child);
      },
      GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  const std::unique_ptr<Window> down = win32.NewWindow(DownFormLayout());
  const HWND top = dynamic_cast<Win32Window&>(*down).Handle();
  down->Show();
  UpdateWindow(top);
  for (const char16_t* status : {u"Requesting file", u"Downloading ...", u"Download complete"})
    down->GetLabel(downform::lblDownStat).SetCaption(status);
  down->GetLabel(downform::lblDownVal).SetCaption(u"2 MB  ( 100 % )");
  down->GetButton(downform::btnStopDownload).SetEnabled(false);
  for (const char* name :
       {downform::btnCancel, downform::btnStopDownload, downform::btnRunFile, downform::btnClose})
    down->GetButton(name).SetVisible(name == downform::btnRunFile || name == downform::btnClose);
  UpdateWindow(top);
  for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
  UnhookWinEvent(hook);
  // The status is drawn first (child 1), the amount downloaded fifth.
  EXPECT_EQ(announced, (std::vector<std::pair<HWND, LONG>>{{top, 1}, {top, 5}}));
  EXPECT_EQ(ReadTree(top),
            L"client \"Quillmere - Download Manager 1.0\", focusable\n"
            L"  static text \"Download complete\" at 8,11\n"
            L"  static text \"File Size\" at 8,72\n  static text \"[File Size]\" at 104,72\n"
            L"  static text \"Downloaded\" at 8,96\n"
            L"  static text \"2 MB  ( 100 % )\" at 104,96\n"
            L"  static text \"Transfer Rate\" at 8,120\n"
            L"  static text \"[Transfer Rate]\" at 104,120\n"
            L"  client \"\", focusable\n  client \"Run File\", focused, focusable\n"
            L"  client \"Cancel\", invisible, focusable\n  client \"Close\", focusable\n"
            L"  client \"Stop\", unavailable, invisible\n");
}

}  // namespace
}  // namespace larkspan
