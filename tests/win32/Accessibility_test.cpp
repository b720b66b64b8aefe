// Both windows as a screen reader reads them through MSAA, in this process (Wine's oleacc
// reaches no other process's windows), printed as read: the labels and pictures drawn on the
// surfaces are named static text and links, a link's default action opens its address, and a
// changed label is announced once per paint. The focus stays on a shown button.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <filesystem>

#include "Product.h"
#include "app/AppGlobals.h"
#include "app/CheckUpdatesForm.h"
#include "app/CheckUpdatesLayout.h"
#include "app/DownFormLayout.h"
#include "app/Startup.h"
#include "os/Shell.h"
#include "settings/Language.h"
#include "ui/win32/Win32Backend.h"
#include "ui/win32/Win32Window.h"

namespace larkspan {
namespace {

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
  if (AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                 reinterpret_cast<void**>(&object)) != S_OK) {
    return indent + L"(no client object)\n";
  }
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
                      STATE_SYSTEM_FOCUSABLE}) {
      if (state.lVal & bit) GetStateTextW(bit, text, 40), tree += L", " + std::wstring(text);
    }
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
  return tree;
}

TEST(Accessibility, BothWindowsAsAScreenReaderReadsThem) {
  Win32Backend backend;
  Ui* const previous = UseUi(&backend);
  Globals().CommandLine = u"Vantrel*3.1*0101000*http://127.0.0.1/u.txt";
  InitGlobals();
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const auto english = std::filesystem::path(exe).parent_path() / "../bin/Lang/English.lng";
  ASSERT_EQ(LoadLanguageFile(english.u16string(), Globals().LangText), 0);

  // The update window after a check that offers the release; Read More is pressed.
  std::vector<std::string> opened;
  const ShellLauncher launcher = SetShellLauncher([&](auto& argv) { opened.push_back(argv[1]); });
  CheckUpdatesForm update(TheDownloadWindow);
  update.Show();
  update.Form().GetTimer(checkupdates::DoJobTimer).SetEnabled(false);  // no check: it is shown
  update.ShowNews(DecideCheck(u"2026#3.2#0201000#u#Faster scans.<Crlf>- A dark theme",
                              {kProductName, u"3.1", u"0101000"}, Globals().LangText));
  const std::wstring tree =
      ReadTree(dynamic_cast<Win32Window&>(update.Form()).Handle(), L"Ostrafel - Read More");
  std::printf("%ls", tree.c_str());
  SetShellLauncher(launcher);
  EXPECT_EQ(opened, std::vector<std::string>{deployment::kPromoPageUrl});
  // The pictures of the promotion panel, the news box and the buttons are reached through their
  // child windows; the focus is on the first shown button in the tab order.
  for (const wchar_t* line :
       {L"client \"Quillmere - Update Manager 3.15\", focusable\n",
        L"  static text \"A new version is available!\\nVantrel2026 Version 3.2 Build 0201000\" at "
        L"16,13\n",
        L"  static text \"Last News\" at 64,264\n",
        L" = Faster scans.\\n- A dark theme, focusable\n", L"    graphic \"\" at 0,8\n",
        L"    link \"Ostrafel - Read More\" = http://",
        L"    link \"Ostrafel - Download\" = http://", L"  client \"Download\", focusable\n",
        L"  client \"Cancel\", focused, focusable\n"}) {
    EXPECT_NE(tree.find(line), std::wstring::npos) << line;
  }

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
  const std::unique_ptr<Window> down = backend.NewWindow(DownFormLayout());
  const HWND top = dynamic_cast<Win32Window&>(*down).Handle();
  down->Show();
  UpdateWindow(top);
  for (const char16_t* status : {u"Requesting file", u"Downloading ...", u"Download complete"}) {
    down->GetLabel(downform::lblDownStat).SetCaption(status);
  }
  down->GetLabel(downform::lblDownVal).SetCaption(u"2 MB  ( 100 % )");
  down->GetButton(downform::btnStopDownload).SetEnabled(false);
  for (const char* name :
       {downform::btnCancel, downform::btnStopDownload, downform::btnRunFile, downform::btnClose}) {
    down->GetButton(name).SetVisible(name == downform::btnRunFile || name == downform::btnClose);
  }
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
  UseUi(previous);
}

}  // namespace
}  // namespace larkspan
