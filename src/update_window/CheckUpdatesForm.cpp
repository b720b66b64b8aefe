#include "update_window/CheckUpdatesForm.h"

#include "download_window/DownForm.h"
#include "platform/AOnTop.h"
#include "platform/Failure.h"
#include "platform/NetDetectModule.h"
#include "platform/ShellModuleM.h"
#include "platform/Timing.h"
#include "startup/AppGlobals.h"
#include "startup/Main_ModuleM.h"
#include "toolkit/JString.h"
#include "update_window/CheckUpdatesLayout.h"
#include "update_window/UpdateInfo.h"

namespace larkspan {
namespace {

constexpr char16_t kCrLf[] = u"\r\n";

const std::u16string& Lang(int index) {
  return Globals().LangText[index];
}

// Language texts are written for the maker's own name; a rebranded build puts its own in.
std::u16string WithCompanyName(const std::u16string& text) {
  return JReplace(text, u"Quillmere", Globals().CompanyName, 1, 0, 0, false);
}

std::u16string ErrorLine(const char16_t* number) {
  return u"(" + Lang(334) + u" " + number + u")";
}

}  // namespace

CheckUpdatesForm::CheckUpdatesForm(UiFactory& ui)
    : form_(ui.CreateWindow(CheckUpdatesFormLayout())),
      StatusL(form_->GetLabel("StatusL")),
      lblLastNews(form_->GetLabel("lblLastNews")),
      NewsT(form_->GetTextBox("NewsT")),
      DownloadCB(form_->GetButton("DownloadCB")),
      btnCancel(form_->GetButton("btnCancel")),
      imgDownload(form_->GetImage("imgDownload")),
      imgReadMore(form_->GetImage("imgReadMore")),
      DoJobTimer(form_->GetTimer("DoJobTimer")),
      OnTopFormTimer(form_->GetTimer("OnTopFormTimer")),
      Inet1(Globals().transferSettings) {
  Wire();
}

CheckUpdatesForm::~CheckUpdatesForm() = default;

void CheckUpdatesForm::Wire() {
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

void CheckUpdatesForm::Show() {
  form_->Show();
}

// ---------------------------------------------------------------- lifecycle

void CheckUpdatesForm::Form_Load() {
  ResumeNext([&] { ApplyLanguage(); });
}

void CheckUpdatesForm::ApplyLanguage() {
  const AppGlobals& g = Globals();
  form_->SetCaption(g.CompanyName + u" - " + Lang(1107) + u" " + g.UpdaterVersion);
  DownloadCB.SetCaption(Lang(1045));
  StatusL.SetCaption(Lang(1156) + u" ...");
  lblLastNews.SetCaption(Lang(1048));
  btnCancel.SetCaption(Lang(108));
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
  ResumeNext([&] { DoJobTimer.SetEnabled(false); });
  ResumeNext([&] { GoNow(); });
}

void CheckUpdatesForm::OnTopFormTimer_Timer() {
  ResumeNext([&] { SetOnTop(*form_, true); });
}

void CheckUpdatesForm::btnCancel_Click() {
  ResumeNext([&] { form_->Close(); });
}

// ---------------------------------------------------------------- download offer, promotion

void CheckUpdatesForm::DownloadCB_Click() {
  // The download window must not be hidden behind this one: stop pushing it back on top.
  ResumeNext([&] { OnTopFormTimer.SetEnabled(false); });
  ResumeNext([&] { SetOnTop(*form_, false); });
  ResumeNext([&] { Globals().DownloadWindow().ShowModal(); });
}

void CheckUpdatesForm::imgDownload_Click() {
  ShellOpen(imgDownload.Tag(), u"");
}

void CheckUpdatesForm::imgReadMore_Click() {
  ResumeNext([&] { ShellOpen(imgReadMore.Tag(), u""); });
}

// ---------------------------------------------------------------- error displays

void CheckUpdatesForm::AppendNews(const std::u16string& text) {
  NewsT.SetText(NewsT.Text() + text);
}

void CheckUpdatesForm::ShowNoConnection() {
  std::u16string line = ErrorLine(u"312");
  StatusL.SetCaption(line);
  NewsT.SetText(line);
  AppendNews(kCrLf);
  AppendNews(Lang(1161));
  AppendNews(kCrLf);
  AppendNews(WithCompanyName(Lang(1158)));
  AppendNews(kCrLf);
  AppendNews(Lang(1162));
}

void CheckUpdatesForm::ShowServerError() {
  std::u16string line = ErrorLine(u"300");
  StatusL.SetCaption(line);
  NewsT.SetText(line);
  AppendNews(kCrLf);
  AppendNews(WithCompanyName(Lang(1159)));
  AppendNews(kCrLf);
  AppendNews(Lang(1160));
}

// ---------------------------------------------------------------- the check

void CheckUpdatesForm::GoNow() {
  AppGlobals& g = Globals();
  ResumeNext([&] { StatusL.SetCaption(Lang(1156) + u" ..."); });
  if (ConditionOrEnter([&] { return !IsOnline(g.probeAddresses); })) {
    ResumeNext([&] { ShowNoConnection(); });
    return;
  }
  ResumeNext([&] { StatusL.SetCaption(WithCompanyName(Lang(1157)) + u" ..."); });
  if (ConditionOrEnter([&] { return !IsUrlOnline(g.CompanyURL); })) {
    ResumeNext([&] { ShowServerError(); });
    return;
  }
  // A failed fetch ends CheckUpdate without a word; the connecting text simply stays.
  ResumeNext([&] { CheckUpdate(); });
  ResumeNext([&] { SetOnTop(*form_, true); });
}

void CheckUpdatesForm::CheckUpdate() {
  AppGlobals& g = Globals();
  const UpdateInfo info = ReadUpdateInfo(Inet1.OpenURL(g.UpdateInfoURL));
  // The installer address is kept even when another field turns out empty.
  if (info.fieldsTaken) g.DownloadURL = info.downloadUrl;
  if (info.outcome == UpdateInfoOutcome::kServerError) {
    ShowServerError();
    return;
  }
  ShowNews(info.version, info.edition, info.build, info.news);
  TimingMark("result-line");
}

}  // namespace larkspan
