#include "app/AppGlobals.h"

#include "Product.h"
#include "base/Runtime.h"
#include "os/CodePage.h"

namespace larkspan {

AppGlobals::AppGlobals()
    : probeAddresses{FromUtf8(deployment::kProductUrl), FromUtf8(deployment::kCompanyUrl)} {}

AppGlobals& Globals() {
  // Never destroyed: the program ends by leaving the process, whatever still reads the record.
  static AppGlobals* const record = new AppGlobals();
  return *record;
}

const std::u16string& Lang(int entry) {
  return Globals().LangText[entry];
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
