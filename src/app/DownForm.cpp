#include "app/DownForm.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "app/AppGlobals.h"
#include "app/DownFormLayout.h"
#include "base/Failure.h"
#include "os/Paths.h"
#include "os/Shell.h"
#include "os/Timing.h"
#include "settings/LangEntries.h"
#include "text/AsciiText.h"
#include "text/FileString.h"
#include "ui/Ui.h"
#include "update/DownProgress.h"
#include "update/OfferedName.h"

namespace larkspan {
namespace {

constexpr Rgb kReceivingGreen = 0x0C8B3F;  // RGB (12, 139, 63)
constexpr Rgb kCompleteBlue = 0x0000FF;
constexpr Rgb kStoppedRed = 0xFF0000;

// Clears a flag when the scope ends, however it ends.
class RunningScope {
 public:
  explicit RunningScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~RunningScope() { flag_ = false; }
  RunningScope(const RunningScope&) = delete;
  RunningScope& operator=(const RunningScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

DownForm::DownForm()
    : form_(CurrentUi().NewWindow(DownFormLayout())),
      lblDownStat(form_->GetLabel(downform::lblDownStat)),
      lblFileSize(form_->GetLabel(downform::lblFileSize)),
      lblFileSizeVal(form_->GetLabel(downform::lblFileSizeVal)),
      lblDown(form_->GetLabel(downform::lblDown)),
      lblDownVal(form_->GetLabel(downform::lblDownVal)),
      lblTransferRate(form_->GetLabel(downform::lblTransferRate)),
      lblTransferRateVal(form_->GetLabel(downform::lblTransferRateVal)),
      ProBarDownload(form_->GetProgressBar(downform::ProBarDownload)),
      btnStopDownload(form_->GetButton(downform::btnStopDownload)),
      btnClose(form_->GetButton(downform::btnClose)),
      btnCancel(form_->GetButton(downform::btnCancel)),
      btnRunFile(form_->GetButton(downform::btnRunFile)),
      DoDwonJobTimer(form_->GetTimer(downform::DoDwonJobTimer)),
      DownRateTimer(form_->GetTimer(downform::DownRateTimer)) {
  form_->onLoad = [this] { Form_Load(); };
  form_->onUnload = [this](bool& cancel) { Form_Unload(cancel); };
  DoDwonJobTimer.onTick = [this] { DoDwonJobTimer_Timer(); };
  DownRateTimer.onTick = [this] { DownRateTimer_Timer(); };
  btnStopDownload.onClick = [this] { btnStopDownload_Click(); };
  btnCancel.onClick = [this] { btnCancel_Click(); };
  btnRunFile.onClick = [this] { btnRunFile_Click(); };
  btnClose.onClick = [this] { btnClose_Click(); };
}

DownForm::~DownForm() = default;

void DownForm::ShowModal() {
  form_->ShowModal();
}

// ---------------------------------------------------------------- window events and commands

void DownForm::Form_Load() {
  ApplyLanguage();
  lblFileSizeVal.SetCaption(u"");
  lblDownVal.SetCaption(u"");
  lblTransferRateVal.SetCaption(u"");
  lblDownStat.SetCaption(u"");
  DoDwonJobTimer.SetEnabled(true);
  DownStopped = false;
  CloseWhenStopped = false;
  DownCompleted = false;
  DownChunks = 0;
  // A new dialog at each opening: nothing of the previous download's choice is carried over.
  CMD = CurrentUi().NewSaveDialog();
}

void DownForm::ApplyLanguage() {
  const AppGlobals& g = Globals();
  form_->SetCaption(g.CompanyName + u" - " + g.DownloaderName + u" " + g.DownloaderVersion);
  lblFileSize.SetCaption(Lang(lang::kFileSize));
  lblDown.SetCaption(Lang(lang::kDownloaded));
  lblTransferRate.SetCaption(Lang(lang::kTransferRate));
  btnClose.SetCaption(Lang(lang::kClose));
  btnRunFile.SetCaption(Lang(lang::kRunFile));
  btnStopDownload.SetCaption(Lang(lang::kStop));
  btnCancel.SetCaption(Lang(lang::kDownloadCancel));
}

void DownForm::DoDwonJobTimer_Timer() {
  DoDwonJobTimer.SetEnabled(false);
  if (!DownStopped) StartDownload();
}

void DownForm::DownRateTimer_Timer() {
  lblTransferRateVal.SetCaption(RateText(DownChunks));
  DownChunks = 0;
}

void DownForm::btnStopDownload_Click() {
  DownStopped = true;
  btnStopDownload.SetEnabled(false);
}

void DownForm::btnCancel_Click() {
  if (DownStopped) {
    form_->Close();
    return;
  }
  // The running download sees the flags at its next check, stops and closes the window.
  DownStopped = true;
  CloseWhenStopped = true;
}

void DownForm::btnRunFile_Click() {
  ShellOpen(CMD->FileName, u"");
}

void DownForm::btnClose_Click() {
  form_->Close();
}

void DownForm::Form_Unload(bool& cancel) {
  if (DownCompleted) return;
  if (!DownStopped) {
    const MsgBoxResult answer =
        MsgBox(Lang(lang::kCloseQuestion) + u"\r\n" + Lang(lang::kCloseQuestion2), kMsgYesNo,
               Globals().DownloaderTitle);
    if (answer != MsgBoxResult::kYes) {
      cancel = true;
      return;
    }
  }
  // Closing in the middle of a download that nobody stopped ends the whole program; the
  // file keeps every chunk written so far.
  if (!CloseWhenStopped && !DownStopped) ExitProgram();
  if (downloadRunning_) {
    // Stop and a close within one pass of the download: the download has not yet seen the
    // stop. It closes the window itself once it has taken its stopped path.
    CloseWhenStopped = true;
    cancel = true;
  }
}

// ---------------------------------------------------------------- the download

void DownForm::StartDownload() {
  DownStopped = false;
  {
    RunningScope running(downloadRunning_);
    // Every failure from here on ends the download as stopped; the user sees the red status
    // and no message.
    RunEnd end = RunEnd::kStopped;
    try {
      end = Download();
    } catch (const Failure&) {
      end = RunEnd::kStopped;
    }
    if (end == RunEnd::kStopped) TakeStoppedPath();
    DownInet.reset();
  }
  if (CloseWhenStopped) form_->Close();
}

DownForm::RunEnd DownForm::Download() {
  const std::u16string address = TrimBlanks(Globals().DownloadURL);
  if (!ChooseTarget(address)) return RunEnd::kDismissed;
  if (!DownStopped) lblDownStat.SetCaption(Lang(lang::kRequesting));
  const std::u16string targetPath = CMD->FileName;

  DownInet = std::make_unique<Inet>(Globals().transferSettings);
  DownInet->SetStopCheck([this] { return DownStopped; });
  DownInet->Execute(address, u"GET");
  TimingMark("download-request");
  DownRateTimer.SetEnabled(true);
  btnStopDownload.SetEnabled(true);
  // Each pass first waits on the transfer for a few milliseconds, as GetChunk does: Stop, Cancel
  // and the close box are still seen within one pass, and the wait spins no core.
  while (DownInet->StillExecuting(std::chrono::milliseconds(5))) {
    DoEvents();
    if (DownStopped) return RunEnd::kStopped;
  }

  const std::int32_t fileSize = AwaitResponse();
  TimingMark("download-body", fileSize);
  // A build with a release key takes only the installer that the verified update information
  // names: another size stops the download before anything is written.
  const bool keyed = !Globals().releaseKey.empty();
  installerCheck_.reset();
  if (keyed) installerCheck_.emplace(Globals().signedInstaller);
  if (keyed && !installerCheck_->SizeMatches(fileSize)) return RunEnd::kStopped;
  // Only now is the target touched: a request that failed before leaves an existing file as
  // it was. A keyed download writes beside it, under a name that no double-click starts, and
  // the file takes the chosen name only once its bytes are the signed ones.
  if (keyed) {
    // The chosen name and ".part", the name cut before its extension where that would make it
    // longer than a file system holds.
    const std::u16string suffix = u".part";
    const std::filesystem::path chosen(targetPath);
    const std::filesystem::path part =
        chosen.parent_path() /
        (OfferedFileName(chosen.filename().u16string(), FileNameMaxBytes() - suffix.size()) +
         suffix);
    target_.Open(part);
    unverified_ = part;
  } else {
    target_.Open(targetPath);
  }
  if (!ReceiveBody(fileSize)) return RunEnd::kStopped;
  target_.Flush();  // a write that fails now still ends the download as stopped
  if (keyed && !KeepVerified(targetPath)) return RunEnd::kStopped;
  CompleteDownload();
  return RunEnd::kCompleted;
}

// Shows the Save dialog until the user has chosen a file that may be written; false when the
// dialog was dismissed.
bool DownForm::ChooseTarget(const std::u16string& address) {
  // The last part of the address is offered as a file name, never as a path.
  const std::u16string fileName = OfferedFileName(GetFileName(address, u"/", true));
  const std::u16string extension = TrimBlanks(GetFileExtension(fileName));
  CMD->InitDir = UserDesktopFolder();
  CMD->Filter = u"*." + extension + u"|*." + extension;
  CMD->FileName = fileName;
  for (;;) {
    CMD->ShowSave();
    if (CMD->FileName.empty()) return false;
    if (!CheckPathExist(CMD->FileName)) return true;
    const MsgBoxResult answer =
        MsgBox(Lang(lang::kReplaceQuestion) + u"\r\n" + Lang(lang::kReplaceQuestion2), kMsgYesNo,
               Globals().DownloaderTitle);
    if (answer == MsgBoxResult::kYes) return true;
  }
}

// The response has arrived: prepares the bar and returns the announced body length.
std::int32_t DownForm::AwaitResponse() {
  ProBarDownload.SetMax(100);
  DoEvents();
  const std::int32_t fileSize = ContentLengthValue(DownInet->GetHeader(u"Content-Length"));
  lblFileSizeVal.SetCaption(SizeText(fileSize));
  return fileSize;
}

// Takes the body in requests of 1024 bytes (the last one asks for the rest) and appends each
// to the target; false when the user stopped it.
bool DownForm::ReceiveBody(std::int32_t fileSize) {
  const std::u16string receivingText = Lang(lang::kReceiving) + u" ...";
  DownProgress progress(fileSize);
  std::int32_t remaining = fileSize;
  std::vector<std::uint8_t> chunk;
  while (remaining != 0) {
    lblDownStat.SetForeColor(kReceivingGreen);
    lblDownStat.SetCaption(receivingText);
    DoEvents();
    if (DownStopped) return false;
    // The count goes down by what was asked for: the transfer control hands over exactly that
    // many bytes or fails.
    const std::int32_t asked = remaining > kChunkSize ? kChunkSize : remaining;
    DownInet->GetChunk(chunk, asked);
    remaining -= asked;
    CountChunk(DownChunks);
    const ChunkProgress& shown = progress.After(fileSize - remaining);
    lblDownVal.SetCaption(shown.downText);
    ProBarDownload.SetValue(shown.barValue);
    target_.Append(chunk.data(), chunk.size());
    if (installerCheck_) installerCheck_->Add(chunk.data(), chunk.size());
    DoEvents();
  }
  return true;
}

// The whole body of a keyed download is on the disk: the file takes the chosen name, replacing
// what is there as a new file replaces it, when its digest is the signed one; false otherwise.
bool DownForm::KeepVerified(const std::filesystem::path& targetPath) {
  if (!installerCheck_->DigestMatches()) return false;
  target_.CloseAs(targetPath);  // a Failure takes the stopped path, which removes the part file
  unverified_.clear();
  return true;
}

void DownForm::CompleteDownload() {
  target_.Close();
  lblDownStat.SetForeColor(kCompleteBlue);
  lblDownStat.SetCaption(Lang(lang::kComplete));
  btnCancel.SetVisible(false);
  btnStopDownload.SetVisible(false);
  btnRunFile.SetVisible(true);
  btnClose.SetVisible(true);
  DownRateTimer.SetEnabled(false);
  lblTransferRateVal.SetCaption(kRateWhenComplete);
  DownCompleted = true;
  TimingMark("download-complete");
}

// Stop, Cancel and every failure end here. The file keeps what was written, and the size,
// downloaded, rate and bar displays keep their last values. Only the unverified bytes of a
// keyed download go: they are not known to be the maker's.
void DownForm::TakeStoppedPath() {
  DownStopped = true;
  if (DownInet) DownInet->Cancel();
  DownRateTimer.SetEnabled(false);
  lblDownStat.SetForeColor(kStoppedRed);
  lblDownStat.SetCaption(Lang(lang::kStopped));
  btnStopDownload.SetVisible(false);
  btnClose.SetVisible(true);
  target_.Close();
  if (!unverified_.empty()) {
    std::error_code error;
    std::filesystem::remove(unverified_, error);
    unverified_.clear();
  }
  TimingMark("download-stopped");
}

}  // namespace larkspan
