#include "app/Startup.h"

#include <cstdio>
#include <memory>

#include "Product.h"
#include "app/AppGlobals.h"
#include "app/CheckUpdatesForm.h"
#include "app/DownForm.h"
#include "base/Failure.h"
#include "os/CodePage.h"
#include "os/Paths.h"
#include "settings/Language.h"
#include "text/JString.h"
#include "ui/Topmost.h"
#include "ui/Ui.h"

namespace larkspan {
namespace {

LanguageLoader& InstalledLoader() {
  static LanguageLoader loader;
  return loader;
}

// The two windows. Never destroyed at the end of the process: they belong to a back end that may
// be gone by then, and the program ends by leaving the process anyway.
struct Windows {
  std::unique_ptr<CheckUpdatesForm> update;
  std::unique_ptr<DownForm> download;
};

Windows& TheWindows() {
  static Windows* const windows = new Windows();
  return *windows;
}

void LoadLanguageTable() {
  if (InstalledLoader()) {
    InstalledLoader()();
    return;
  }
  AppGlobals& g = Globals();
  LoadLanguage(ProgramFolder(), g.LangText, g.LangFileName);
}

}  // namespace

LanguageLoader SetLanguageLoader(LanguageLoader loader) {
  LanguageLoader previous = std::move(InstalledLoader());
  InstalledLoader() = std::move(loader);
  return previous;
}

void Main(const std::u16string& argumentText, Ui& ui, std::string_view releaseKey) {
  UseUi(&ui);
  AppGlobals& g = Globals();
  g.releaseKey = releaseKey;
  // The language comes first, before any window or message could want a text.
  ResumeNext([&] { LoadLanguageTable(); });
  g.CommandLine = argumentText;
  // Started without arguments (by hand, say): nothing to check, end quietly.
  if (g.CommandLine.empty()) ExitProgram();
  InitGlobals();
  TheUpdateWindow().Show();
  SetOnTop(TheUpdateWindow().Form(), true);
}

CheckUpdatesForm& TheUpdateWindow() {
  std::unique_ptr<CheckUpdatesForm>& window = TheWindows().update;
  if (!window) window = std::make_unique<CheckUpdatesForm>(TheDownloadWindow);
  return *window;
}

DownForm& TheDownloadWindow() {
  std::unique_ptr<DownForm>& window = TheWindows().download;
  if (!window) window = std::make_unique<DownForm>();
  return *window;
}

void ResetProgram() {
  TheWindows() = {};
  Globals() = AppGlobals();
}

void ReportInternalError(const char* what) {
  const std::u16string message =
      u"Larkspan stopped because of an internal error:\r\n" + FromUtf8(what);
  std::fprintf(stderr, "larkspan: internal error: %s\n", what);
  MsgBox(message, kMsgCritical);
}

void InitGlobals() {
  AppGlobals& g = Globals();
  g.CompanyName = kCompanyName;
  g.UpdaterVersion = u"3.15";
  g.CompanyURL = FromUtf8(deployment::kCompanyUrl);
  g.ProductName = kProductName;
  g.DownloaderVersion = u"1.01";
  g.DownloaderName = kDownloaderName;
  g.DownloaderTitle = kDownloaderTitle;
  // An older Vantrel passes fewer fields than this updater needs.
  if (JFind(g.CommandLine, u"*", 0, 1, true) < 3) {
    MsgBox(g.CompanyName + u" - Larkspan required recently version of " + g.ProductName,
           kMsgInformation);
    EndProgram();
  }
  g.CallerField = JNSplit(g.CommandLine, u"*", 0, true);
  g.InstalledVersion = JNSplit(g.CommandLine, u"*", 1, true);
  g.InstalledBuild = JNSplit(g.CommandLine, u"*", 2, true);
  g.UpdateInfoURL = JNSplit(g.CommandLine, u"*", 3, true);
}

}  // namespace larkspan
