#include "app/AppGlobals.h"

#include "Product.h"
#include "app/CheckUpdatesForm.h"
#include "app/DownForm.h"
#include "os/CodePage.h"

namespace larkspan {
namespace {

// Never destroyed at the end of the process: the windows in it belong to a back end that may
// be gone by then, and the program ends by leaving the process anyway.
AppGlobals* current = nullptr;

}  // namespace

AppGlobals::AppGlobals()
    : probeAddresses{FromUtf8(deployment::kProductUrl), FromUtf8(deployment::kCompanyUrl)} {}

AppGlobals::~AppGlobals() = default;

CheckUpdatesForm& AppGlobals::UpdateWindow() {
  if (!checkUpdatesForm) checkUpdatesForm = std::make_unique<CheckUpdatesForm>();
  return *checkUpdatesForm;
}

DownForm& AppGlobals::DownloadWindow() {
  if (!downForm) downForm = std::make_unique<DownForm>();
  return *downForm;
}

const std::u16string& Lang(int entry) {
  return Globals().LangText[entry];
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
