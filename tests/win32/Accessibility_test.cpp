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

// The window and each of its shown child windows as its client object, followed by that
// object's simple children, one line each: role "name" = value. The child named `press` gets
// its default action.
std::wstring ReadTree(HWND top, const std::wstring& press = L"-") {
  std::vector<HWND> windows{top};
  for (HWND w = GetWindow(top, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    windows.push_back(w);
  }
  std::wstring tree;
  for (HWND window : windows) {
    IAccessible* object = nullptr;
    LONG count = 0, got = 0;
    if (!IsWindowVisible(window)) continue;
    if (AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                   reinterpret_cast<void**>(&object)) != S_OK) {
      ADD_FAILURE() << "a shown window without its client object";
      continue;
    }
    object->get_accChildCount(&count);
    std::vector<VARIANT> ids(static_cast<size_t>(count) + 1);
    ids[0].vt = VT_I4, ids[0].lVal = CHILDID_SELF;
    AccessibleChildren(object, 0, count, &ids[1], &got);
    for (VARIANT& id : ids) {
      VARIANT role{};
      BSTR name = nullptr, value = nullptr;
      wchar_t roleText[40] = L"";
      if (id.vt != VT_I4) continue;  // a child window, read as a window of its own
      object->get_accRole(id, &role), object->get_accName(id, &name);
      object->get_accValue(id, &value);
      GetRoleTextW(static_cast<DWORD>(role.lVal), roleText, 40);
      const std::wstring named = Take(name), valued = Take(value);
      tree += std::wstring(id.lVal == CHILDID_SELF ? L"" : L"  ") + roleText + L" \"" + named +
              L"\"" + (valued.empty() ? L"" : L" = " + valued) + L"\n";
      if (named == press) tree += object->accDoDefaultAction(id) == S_OK ? L"" : L"(no action)";
    }
    for (VARIANT& id : ids) VariantClear(&id);
    object->Release();
  }
  std::printf("%ls", tree.c_str());
  return tree;
}

std::wstring Focused() {
  wchar_t caption[20] = L"";
  return std::wstring(caption, static_cast<size_t>(GetWindowTextW(GetFocus(), caption, 20)));
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
  std::wstring tree =
      ReadTree(dynamic_cast<Win32Window&>(update.Form()).Handle(), L"Ostrafel - Read More");
  SetShellLauncher(launcher);
  EXPECT_EQ(opened, std::vector<std::string>{deployment::kPromoPageUrl});
  // The buttons and the news box are the system's own objects, read from their windows.
  for (const wchar_t* line :
       {L"client \"Quillmere - Update Manager 3.15\"\n",
        L"  static text \"A new version is available!\\nVantrel2026 Version 3.2 Build 0201000\"\n",
        L"  static text \"Last News\"\n", L" = Faster scans.\\n- A dark theme\n",
        L"  link \"Ostrafel - Read More\" = http://", L"  link \"Ostrafel - Download\" = http://",
        L"\"Download\"\n", L"\"Cancel\"\n"}) {
    EXPECT_NE(tree.find(line), std::wstring::npos) << line;
  }

  // The download window as at the end of a download, its three captions for the status given
  // before one paint. The focus goes from Cancel to Run File, not to the window.
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
  EXPECT_EQ(Focused(), L"Cancel");  // the first shown button in the tab order
  for (const char16_t* status : {u"Requesting file", u"Downloading ...", u"Download complete"}) {
    down->GetLabel(downform::lblDownStat).SetCaption(status);
  }
  down->GetLabel(downform::lblDownVal).SetCaption(u"2 MB  ( 100 % )");
  for (const char* name :
       {downform::btnCancel, downform::btnStopDownload, downform::btnRunFile, downform::btnClose}) {
    down->GetButton(name).SetVisible(name == downform::btnRunFile || name == downform::btnClose);
  }
  EXPECT_EQ(Focused(), L"Run File");
  UpdateWindow(top);
  for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
  UnhookWinEvent(hook);
  // The status is drawn first (child 1), the amount downloaded fifth.
  EXPECT_EQ(announced, (std::vector<std::pair<HWND, LONG>>{{top, 1}, {top, 5}}));
  tree = ReadTree(top);
  EXPECT_EQ(tree.find(L"client \"Quillmere - Download Manager 1.0\"\n"
                      L"  static text \"Download complete\"\n"
                      L"  static text \"File Size\"\n  static text \"[File Size]\"\n"
                      L"  static text \"Downloaded\"\n  static text \"2 MB  ( 100 % )\"\n"),
            0u);
  UseUi(previous);
}

}  // namespace
}  // namespace larkspan
