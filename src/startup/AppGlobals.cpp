#include "startup/AppGlobals.h"

#include <stdexcept>

#include "Deployment.h"
#include "download_window/DownForm.h"
#include "platform/CodePage.h"
#include "update_window/CheckUpdatesForm.h"

namespace larkspan {
namespace {

// Never destroyed at the end of the process: the windows in it belong to a back end that may
// be gone by then, and the program ends by leaving the process anyway.
AppGlobals* current = nullptr;

UiFactory& Platform(UiFactory* ui) {
  if (!ui) throw std::logic_error("the windows are asked for before the entry procedure ran");
  return *ui;
}

}  // namespace

AppGlobals::AppGlobals()
    : probeAddresses{FromUtf8(deployment::kProductUrl), FromUtf8(deployment::kCompanyUrl)} {}

AppGlobals::~AppGlobals() = default;

CheckUpdatesForm& AppGlobals::UpdateWindow() {
  if (!checkUpdatesForm) checkUpdatesForm = std::make_unique<CheckUpdatesForm>(Platform(ui));
  return *checkUpdatesForm;
}

DownForm& AppGlobals::DownloadWindow() {
  if (!downForm) downForm = std::make_unique<DownForm>(Platform(ui));
  return *downForm;
}

AppGlobals& Globals() {
  if (!current) current = new AppGlobals();
  return *current;
}

void ResetGlobals() {
  delete current;
  current = new AppGlobals();
}

}  // namespace larkspan
