#include "download_window/DownForm.h"

#include "download_window/DownFormLayout.h"
#include "download_window/DownProgress.h"
#include "platform/Failure.h"
#include "platform/ShellModuleM.h"
#include "platform/Ui.h"
#include "startup/AppGlobals.h"
#include "startup/Main_ModuleM.h"

namespace larkspan {
namespace {

std::u16string Lang(int index) {
  return Globals().LangText[index];
}

}  // namespace

DownForm::DownForm(UiFactory& ui) : ui_(ui), form_(ui.CreateWindow(DownFormLayout())) {
  Window& w = *form_;
  lblDownStat_ = &w.GetLabel("lblDownStat");
  lblFileSize_ = &w.GetLabel("lblFileSize");
  lblFileSizeVal_ = &w.GetLabel("lblFileSizeVal");
  lblDown_ = &w.GetLabel("lblDown");
  lblDownVal_ = &w.GetLabel("lblDownVal");
  lblTransferRate_ = &w.GetLabel("lblTransferRate");
  lblTransferRateVal_ = &w.GetLabel("lblTransferRateVal");
  proBarDownload_ = &w.GetProgressBar("ProBarDownload");
  btnStopDownload_ = &w.GetButton("btnStopDownload");
  btnClose_ = &w.GetButton("btnClose");
  btnCancel_ = &w.GetButton("btnCancel");
  btnRunFile_ = &w.GetButton("btnRunFile");
  doDwonJobTimer_ = &w.GetTimer("DoDwonJobTimer");
  downRateTimer_ = &w.GetTimer("DownRateTimer");

  w.onLoad = [this] { Form_Load(); };
  w.onUnload = [this](bool& cancel) { Form_Unload(cancel); };
  doDwonJobTimer_->onTick = [this] { DoDwonJobTimer_Timer(); };
  downRateTimer_->onTick = [this] { DownRateTimer_Timer(); };
  btnStopDownload_->onClick = [this] { btnStopDownload_Click(); };
  btnCancel_->onClick = [this] { btnCancel_Click(); };
  btnRunFile_->onClick = [this] { btnRunFile_Click(); };
  btnClose_->onClick = [this] { btnClose_Click(); };
}

DownForm::~DownForm() = default;

void DownForm::ShowModal() {
  form_->ShowModal();
}

void DownForm::Form_Load() {
  ResumeNext([&] { ApplyLanguage(); });
  ResumeNext([&] {
    lblFileSizeVal_->SetCaption(u"");
    lblDownVal_->SetCaption(u"");
    lblTransferRateVal_->SetCaption(u"");
    lblDownStat_->SetCaption(u"");
  });
  ResumeNext([&] { doDwonJobTimer_->SetEnabled(true); });
  downStopped_ = false;
  closeWhenStopped_ = false;
  downCompleted_ = false;
  downChunks_ = 0;
  // A new dialog at each opening: nothing of the previous download's choice is carried over.
  ResumeNext([&] { cmd_ = ui_.CreateSaveDialog(); });
}

void DownForm::ApplyLanguage() {
  const AppGlobals& g = Globals();
  form_->SetCaption(g.CompanyName + u" - " + g.DownloaderName + u" " + g.DownloaderVersion);
  lblFileSize_->SetCaption(Lang(168));
  lblDown_->SetCaption(Lang(1110));
  lblTransferRate_->SetCaption(Lang(1111));
  btnClose_->SetCaption(Lang(578));
  btnRunFile_->SetCaption(Lang(1112));
  btnStopDownload_->SetCaption(Lang(1133));
  btnCancel_->SetCaption(Lang(717));
}

void DownForm::DoDwonJobTimer_Timer() {
  doDwonJobTimer_->SetEnabled(false);
  if (!downStopped_) StartDownload();
}

void DownForm::DownRateTimer_Timer() {
  lblTransferRateVal_->SetCaption(RateText(downChunks_));
  downChunks_ = 0;
}

void DownForm::btnStopDownload_Click() {
  downStopped_ = true;
  btnStopDownload_->SetEnabled(false);
}

void DownForm::btnCancel_Click() {
  if (downStopped_) {
    form_->Close();
    return;
  }
  // The running download sees the flags at its next check, stops and closes the window.
  downStopped_ = true;
  closeWhenStopped_ = true;
}

void DownForm::btnRunFile_Click() {
  if (cmd_) ShellOpen(cmd_->FileName, u"");
}

void DownForm::btnClose_Click() {
  form_->Close();
}

void DownForm::Form_Unload(bool& cancel) {
  if (downCompleted_) return;
  if (!downStopped_) {
    const AppGlobals& g = Globals();
    const MsgBoxResult answer =
        MsgBox(Lang(1152) + u"\r\n" + Lang(1154), kMsgYesNo, g.DownloaderTitle);
    if (answer != MsgBoxResult::kYes) {
      cancel = true;
      return;
    }
  }
  // Closing in the middle of a download that nobody stopped ends the whole program; the
  // file keeps every chunk written so far.
  if (!closeWhenStopped_ && !downStopped_) ExitProgram();
  if (downloadRunning_) {
    // Stop and a close within one pass of the download: the download has not yet seen the
    // stop. It closes the window itself once it has taken its stopped path.
    closeWhenStopped_ = true;
    cancel = true;
  }
}

}  // namespace larkspan
