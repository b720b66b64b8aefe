// Both windows as a screen reader reads them through MSAA, in this process (Wine's oleacc
// reaches no other process's windows): each window's client object with its simple children,
// printed as read. The labels and pictures drawn on the surfaces are named static text and
// links, a link's default action opens its address, and a changed label is announced once.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <filesystem>

#include "Deployment.h"
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

struct Node {
  HWND window;
  VARIANT id;  // CHILDID_SELF for the window's own object
  LONG role = 0;
  std::wstring name = {}, value = {};
};

std::wstring Take(BSTR text) {
  std::wstring taken = text != nullptr ? text : L"";
  SysFreeString(text);
  return taken;
}

IAccessible* ClientObject(HWND window) {
  IAccessible* object = nullptr;
  AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                             reinterpret_cast<void**>(&object));
  return object;
}

std::wstring OneLine(std::wstring text) {
  for (size_t at; (at = text.find(L"\r\n")) != std::wstring::npos;) text.replace(at, 2, L"\\n");
  return text;
}

// Every shown window of the tree as its client object, followed by that object's simple
// children.
std::vector<Node> ReadTree(HWND top) {
  std::vector<HWND> windows{top};
  EnumChildWindows(
      top,
      [](HWND w, LPARAM all) {
        return reinterpret_cast<std::vector<HWND>*>(all)->push_back(w), TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  std::vector<Node> nodes;
  for (HWND window : windows) {
    IAccessible* object = IsWindowVisible(window) ? ClientObject(window) : nullptr;
    LONG count = 0, got = 0;
    if (object == nullptr || FAILED(object->get_accChildCount(&count))) continue;
    std::vector<VARIANT> ids(static_cast<size_t>(count) + 1);
    ids[0].vt = VT_I4, ids[0].lVal = CHILDID_SELF;
    AccessibleChildren(object, 0, count, ids.data() + 1, &got);
    for (VARIANT& id : ids) {
      if (id.vt != VT_I4) {  // a child window: read as a window of its own
        VariantClear(&id);
        continue;
      }
      Node node{window, id};
      VARIANT role{};
      BSTR name = nullptr, value = nullptr;
      object->get_accRole(id, &role);
      object->get_accName(id, &name);
      object->get_accValue(id, &value);
      node.role = role.vt == VT_I4 ? role.lVal : 0;
      node.name = Take(name), node.value = Take(value);
      wchar_t roleText[40] = L"";
      GetRoleTextW(static_cast<DWORD>(node.role), roleText, 40);
      std::printf("%s%ls \"%ls\"%s%ls\n", id.lVal == CHILDID_SELF ? "" : "  ", roleText,
                  OneLine(node.name).c_str(), node.value.empty() ? "" : " = ",
                  OneLine(node.value).c_str());
      nodes.push_back(node);
    }
    object->Release();
  }
  return nodes;
}

const Node* Find(const std::vector<Node>& tree, LONG role, const std::wstring& name) {
  auto found = std::find_if(tree.begin(), tree.end(),
                            [&](const Node& n) { return n.role == role && n.name == name; });
  return found != tree.end() ? &*found : nullptr;
}

class AccessibilityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HWND probe = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, {}, {}, {}, {});
    if (probe == nullptr) GTEST_SKIP() << "no display to make windows on";
    DestroyWindow(probe);
    previous = UseUi(&backend);
    ResetGlobals();
    Globals().CommandLine = u"Vantrel*3.1*0101000*http://127.0.0.1/u.txt";
    InitGlobals();
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const auto english = std::filesystem::path(exe).parent_path() / "../bin/Lang/English.lng";
    ASSERT_EQ(LoadLanguageFile(english.u16string(), Globals().LangText), 0);
  }
  void TearDown() override { UseUi(previous); }
  Win32Backend backend;
  Ui* previous = nullptr;
};

TEST_F(AccessibilityTest, TheUpdateWindowAfterACheckAndItsReadMoreLink) {
  std::vector<std::string> opened;
  const ShellLauncher launcher = SetShellLauncher([&](auto& argv) { opened.push_back(argv[1]); });
  CheckUpdatesForm update;
  update.Show();
  update.Form().GetTimer(checkupdates::DoJobTimer).SetEnabled(false);  // no check: it is shown
  update.ShowNews(u"3.2", u"2026", u"0201000", u"Faster scans.<Crlf>- A dark theme");
  const std::vector<Node> tree = ReadTree(dynamic_cast<Win32Window&>(update.Form()).Handle());
  const std::pair<LONG, std::wstring> expected[] = {
      {ROLE_SYSTEM_CLIENT, L"Quillmere - Update Manager 3.15"},
      {ROLE_SYSTEM_STATICTEXT,
       L"A new version is available!\r\nVantrel2026 Version 3.2 Build 0201000"},
      {ROLE_SYSTEM_STATICTEXT, L"Last News"},
      {ROLE_SYSTEM_LINK, L"Ostrafel - Read More"},
      {ROLE_SYSTEM_LINK, L"Ostrafel - Download"}};
  for (const auto& [role, name] : expected) EXPECT_TRUE(Find(tree, role, name)) << name;
  // The buttons and the news box are the system's own objects, read from their windows.
  const auto named = [&](const wchar_t* name, const wchar_t* value) {
    return std::any_of(tree.begin(), tree.end(),
                       [&](const Node& n) { return n.name == name && n.value == value; });
  };
  EXPECT_TRUE(named(L"Download", L"") && named(L"Cancel", L""));
  EXPECT_TRUE(named(L"", L"Faster scans.\r\n- A dark theme"));

  const Node* link = Find(tree, ROLE_SYSTEM_LINK, L"Ostrafel - Read More");
  ASSERT_TRUE(link);
  IAccessible* frame = ClientObject(link->window);
  EXPECT_EQ(frame->accDoDefaultAction(link->id), S_OK);
  frame->Release();
  SetShellLauncher(launcher);
  EXPECT_EQ(opened, std::vector<std::string>{deployment::kPromoPageUrl});
}

// The status line after a complete download and the values; the status is announced once for
// the three captions that it got before the window's next paint.
TEST_F(AccessibilityTest, TheDownloadWindowAnnouncesItsStatusOncePerPaint) {
  static std::vector<std::pair<HWND, LONG>> announced;
  const HWINEVENTHOOK hook = SetWinEventHook(
      EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
      [](HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
        if (object == OBJID_CLIENT) announced.emplace_back(window, child);
      },
      GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  const std::unique_ptr<Window> down = backend.NewWindow(DownFormLayout());
  const HWND top = dynamic_cast<Win32Window&>(*down).Handle();
  down->Show();
  UpdateWindow(top);
  const auto focused = [] {
    wchar_t caption[20] = L"";
    GetWindowTextW(GetFocus(), caption, 20);
    return std::wstring(caption);
  };
  EXPECT_EQ(focused(), L"Cancel");  // the first shown button in the tab order
  // As at the end of a download: the focus goes to Run File, not to the window.
  for (const char* name :
       {downform::btnCancel, downform::btnStopDownload, downform::btnRunFile, downform::btnClose}) {
    down->GetButton(name).SetVisible(name == downform::btnRunFile || name == downform::btnClose);
  }
  EXPECT_EQ(focused(), L"Run File");
  for (const char16_t* status : {u"Requesting file", u"Downloading ...", u"Download complete"}) {
    down->GetLabel(downform::lblDownStat).SetCaption(status);
  }
  down->GetLabel(downform::lblFileSizeVal).SetCaption(u"2 MB");
  down->GetLabel(downform::lblDownVal).SetCaption(u"2 MB (100%)");
  UpdateWindow(top);
  for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
  UnhookWinEvent(hook);
  const std::vector<Node> tree = ReadTree(top);
  const Node* status = Find(tree, ROLE_SYSTEM_STATICTEXT, L"Download complete");
  ASSERT_TRUE(status && Find(tree, ROLE_SYSTEM_STATICTEXT, L"2 MB (100%)") &&
              Find(tree, ROLE_SYSTEM_CLIENT, L"Quillmere - Download Manager 1.0"));
  EXPECT_EQ(std::count(announced.begin(), announced.end(), std::pair(top, status->id.lVal)), 1);
  EXPECT_EQ(announced.size(), 3u);  // the status and the two values
}

}  // namespace
}  // namespace larkspan
