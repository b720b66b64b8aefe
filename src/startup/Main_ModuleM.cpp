#include "startup/Main_ModuleM.h"

#include <cstdint>

#include "Deployment.h"
#include "platform/AOnTop.h"
#include "platform/AppPaths.h"
#include "platform/CodePage.h"
#include "platform/Failure.h"
#include "platform/Ui.h"
#include "settings/LangM.h"
#include "startup/AppGlobals.h"
#include "toolkit/JString.h"
#include "update_window/CheckUpdatesForm.h"

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

void Main(const std::u16string& argumentText, UiFactory& ui) {
  AppGlobals& g = Globals();
  g.ui = &ui;
  // The language comes first, before any window or message could want a text.
  ResumeNext([&] { LoadLanguageTable(); });
  ResumeNext([&] { g.CommandLine = argumentText; });
  // Started without arguments (by hand, say): nothing to check, end quietly.
  if (ConditionOrEnter([&] { return g.CommandLine.empty(); })) ExitProgram();
  ResumeNext([&] { InitGlobals(); });
  ResumeNext([&] { g.UpdateWindow().Show(); });
  ResumeNext([&] { SetOnTop(g.UpdateWindow().Form(), true); });
}

void InitGlobals() {
  AppGlobals& g = Globals();
  ResumeNext([&] {
    g.CompanyName = u"Quillmere";
    g.UpdaterVersion = u"3.15";
    g.CompanyURL = FromUtf8(deployment::kCompanyUrl);
    g.ProductName = u"Vantrel";
    g.DownloaderVersion = u"1.01";
    g.DownloaderName = u"Download Manager";
    g.DownloaderTitle = u"Quillmere - Download Manager";
  });
  // An older Vantrel passes fewer fields than this updater needs.
  if (ConditionOrEnter([&] { return JFind(g.CommandLine, u"*", 0, 1, true) < 3; })) {
    ResumeNext([&] {
      MsgBox(g.CompanyName + u" - Larkspan required recently version of Vantrel", kMsgInformation);
    });
    EndProgram();
  }
  ResumeNext([&] { g.CallerField = JNSplit(g.CommandLine, u"*", 0, true); });
  ResumeNext([&] { g.InstalledVersion = JNSplit(g.CommandLine, u"*", 1, true); });
  ResumeNext([&] { g.InstalledBuild = JNSplit(g.CommandLine, u"*", 2, true); });
  ResumeNext([&] { g.UpdateInfoURL = JNSplit(g.CommandLine, u"*", 3, true); });
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
