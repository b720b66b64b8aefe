#include "app/Startup.h"

#include <cstdint>
#include <cstdio>

#include "Product.h"
#include "app/AppGlobals.h"
#include "app/CheckUpdatesForm.h"
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

void Main(const std::u16string& argumentText, Ui& ui) {
  UseUi(&ui);
  AppGlobals& g = Globals();
  // The language comes first, before any window or message could want a text.
  ResumeNext([&] { LoadLanguageTable(); });
  g.CommandLine = argumentText;
  // Started without arguments (by hand, say): nothing to check, end quietly.
  if (g.CommandLine.empty()) ExitProgram();
  InitGlobals();
  g.UpdateWindow().Show();
  SetOnTop(g.UpdateWindow().Form(), true);
}

void ReportInternalError(const char* what) {
  RunProgramEndHooks();  // the download's file keeps what it took, whatever comes next
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

void ClearGlobals() {
  AppGlobals& g = Globals();
  for (std::u16string* text :
       {&g.CompanyName, &g.UpdaterVersion, &g.CompanyURL, &g.ProductName, &g.InstalledVersion,
        &g.UpdateInfoURL, &g.CommandLine, &g.DownloadURL, &g.InstalledBuild, &g.DownloaderVersion,
        &g.DownloaderName, &g.DownloaderTitle}) {
    text->clear();
  }
}

void ExitProgram() {
  ClearGlobals();
  EndProgram();
}

}  // namespace larkspan
