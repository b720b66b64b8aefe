#include "app/CheckUpdatesForm.h"

#include "Product.h"
#include "app/AppGlobals.h"
#include "app/CheckUpdatesLayout.h"
#include "app/DownForm.h"
#include "base/Failure.h"
#include "net/Probe.h"
#include "os/Shell.h"
#include "os/Timing.h"
#include "settings/LangEntries.h"
#include "text/JString.h"
#include "ui/Topmost.h"
#include "ui/Ui.h"

namespace larkspan {
namespace {

constexpr char16_t kCrLf[] = u"\r\n";

// Language texts are written for the maker's own name; a rebranded build puts its own in.
std::u16string WithCompanyName(const std::u16string& text) {
  return JReplace(text, kCompanyName, Globals().CompanyName, 1, 0, 0, false);
}

std::u16string ErrorLine(const char16_t* number) {
  return u"(" + Lang(lang::kErrorWord) + u" " + number + u")";
}

}  // namespace

CheckUpdatesForm::CheckUpdatesForm(std::function<DownForm&()> downloadWindow)
    : form_(CurrentUi().NewWindow(CheckUpdatesFormLayout())),
      StatusL(form_->GetLabel(checkupdates::StatusL)),
      lblLastNews(form_->GetLabel(checkupdates::lblLastNews)),
      NewsT(form_->GetTextBox(checkupdates::NewsT)),
      DownloadCB(form_->GetButton(checkupdates::DownloadCB)),
      btnCancel(form_->GetButton(checkupdates::btnCancel)),
      imgDownload(form_->GetImage(checkupdates::imgDownload)),
      imgReadMore(form_->GetImage(checkupdates::imgReadMore)),
      DoJobTimer(form_->GetTimer(checkupdates::DoJobTimer)),
      OnTopFormTimer(form_->GetTimer(checkupdates::OnTopFormTimer)),
      Inet1(Globals().transferSettings),
      downloadWindow_(std::move(downloadWindow)) {
  form_->onLoad = [this] { Form_Load(); };
  form_->onQueryUnload = [this](bool& cancel) { Form_QueryUnload(cancel); };
  form_->onUnload = [this](bool& cancel) { Form_Unload(cancel); };
  DoJobTimer.onTick = [this] { DoJobTimer_Timer(); };
  OnTopFormTimer.onTick = [this] { OnTopFormTimer_Timer(); };
  btnCancel.onClick = [this] { btnCancel_Click(); };
  DownloadCB.onClick = [this] { DownloadCB_Click(); };
  imgDownload.onClick = [this] { imgDownload_Click(); };
  imgReadMore.onClick = [this] { imgReadMore_Click(); };
}

CheckUpdatesForm::~CheckUpdatesForm() = default;

void CheckUpdatesForm::Show() {
  form_->Show();
}

// ---------------------------------------------------------------- lifecycle

void CheckUpdatesForm::Form_Load() {
  ApplyLanguage();
}

void CheckUpdatesForm::ApplyLanguage() {
  const AppGlobals& g = Globals();
  form_->SetCaption(g.CompanyName + u" - " + Lang(lang::kUpdateManager) + u" " + g.UpdaterVersion);
  DownloadCB.SetCaption(Lang(lang::kDownloadButton));
  StatusL.SetCaption(Lang(lang::kChecking) + u" ...");
  lblLastNews.SetCaption(Lang(lang::kLastNews));
  btnCancel.SetCaption(Lang(lang::kUpdateCancel));
}

// Whatever the reason of the close, the program ends with the window; nothing is asked.
void CheckUpdatesForm::Form_QueryUnload(bool& /*cancel*/) {
  ExitProgram();
}

void CheckUpdatesForm::Form_Unload(bool& /*cancel*/) {
  ExitProgram();
}

void CheckUpdatesForm::DoJobTimer_Timer() {
  // One shot: off before the check starts, so that the check never runs twice.
  DoJobTimer.SetEnabled(false);
  GoNow();
}

void CheckUpdatesForm::OnTopFormTimer_Timer() {
  SetOnTop(*form_, true);
}

void CheckUpdatesForm::btnCancel_Click() {
  form_->Close();
}

// ---------------------------------------------------------------- download offer, promotion

void CheckUpdatesForm::DownloadCB_Click() {
  // The download window must not be hidden behind this one: stop pushing it back on top.
  OnTopFormTimer.SetEnabled(false);
  SetOnTop(*form_, false);
  downloadWindow_().ShowModal();
}

void CheckUpdatesForm::imgDownload_Click() {
  ShellOpen(imgDownload.Tag(), u"");
}

void CheckUpdatesForm::imgReadMore_Click() {
  ShellOpen(imgReadMore.Tag(), u"");
}

// ---------------------------------------------------------------- error displays

void CheckUpdatesForm::AppendNews(const std::u16string& text) {
  NewsT.SetText(NewsT.Text() + text);
}

void CheckUpdatesForm::ShowNoConnection() {
  const std::u16string line = ErrorLine(u"312");
  StatusL.SetCaption(line);
  NewsT.SetText(line);
  AppendNews(kCrLf);
  AppendNews(Lang(lang::kNoConnection1));
  AppendNews(kCrLf);
  AppendNews(WithCompanyName(Lang(lang::kNoConnection2)));
  AppendNews(kCrLf);
  AppendNews(Lang(lang::kNoConnection3));
}

void CheckUpdatesForm::ShowServerError() {
  const std::u16string line = ErrorLine(u"300");
  StatusL.SetCaption(line);
  NewsT.SetText(line);
  AppendNews(kCrLf);
  AppendNews(WithCompanyName(Lang(lang::kServerError1)));
  AppendNews(kCrLf);
  AppendNews(Lang(lang::kServerError2));
}

// ---------------------------------------------------------------- the check

void CheckUpdatesForm::GoNow() {
  AppGlobals& g = Globals();
  StatusL.SetCaption(Lang(lang::kChecking) + u" ...");
  if (!IsOnline(g.probeAddresses)) {
    ShowNoConnection();
    return;
  }
  StatusL.SetCaption(WithCompanyName(Lang(lang::kConnectingMaker)) + u" ...");
  if (!IsUrlOnline(g.CompanyURL)) {
    ShowServerError();
    return;
  }
  // A failed fetch ends CheckUpdate without a word; the connecting text simply stays.
  ResumeNext([&] { CheckUpdate(); });
  SetOnTop(*form_, true);
}

void CheckUpdatesForm::CheckUpdate() {
  AppGlobals& g = Globals();
  const CheckOutcome outcome =
      DecideCheck(Inet1.OpenURL(g.UpdateInfoURL),
                  {g.ProductName, g.InstalledVersion, g.InstalledBuild}, g.LangText, g.releaseKey);
  // The installer address is kept even when another field turns out empty.
  if (const auto address = outcome.InstallerAddress()) g.DownloadURL = *address;
  g.signedInstaller = outcome.installer;
  if (!outcome.release) {
    ShowServerError();
    return;
  }
  ShowNews(outcome);
  TimingMark("result-line");
}

// ---------------------------------------------------------------- the result display

void CheckUpdatesForm::ShowNews(const CheckOutcome& outcome) {
  if (outcome.downloadOffered) DownloadCB.SetVisible(true);
  StatusL.SetCaption(outcome.resultLines);
  const std::u16string news = outcome.News();
  if (!news.empty()) NewsT.SetText(news);
}

}  // namespace larkspan
