// StartDownload: the download window's one download, from the Save dialog to the saved file.
#include <exception>
#include <vector>

#include "download_window/DownForm.h"
#include "download_window/DownProgress.h"
#include "platform/AppPaths.h"
#include "platform/CheckPathExistM.h"
#include "platform/Failure.h"
#include "platform/Timing.h"
#include "platform/Ui.h"
#include "startup/AppGlobals.h"
#include "toolkit/FileString.h"
#include "toolkit/NumberText.h"

namespace larkspan {
namespace {

constexpr Rgb kReceivingGreen = 0x0C8B3F;  // RGB (12, 139, 63)
constexpr Rgb kCompleteBlue = 0x0000FF;
constexpr Rgb kStoppedRed = 0xFF0000;

std::u16string Lang(int index) {
  return Globals().LangText[index];
}

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

void DownForm::StartDownload() {
  downStopped_ = false;
  RunEnd end = RunEnd::kStopped;
  {
    RunningScope running(downloadRunning_);
    // Every failure from here on ends the download as stopped; the user sees the red status
    // and no message.
    try {
      end = Download();
    } catch (const std::exception&) {
      end = RunEnd::kStopped;
    }
    if (end == RunEnd::kStopped) TakeStoppedPath();
    downInet_.reset();
  }
  if (closeWhenStopped_) ResumeNext([&] { form_->Close(); });
}

DownForm::RunEnd DownForm::Download() {
  const std::u16string address = TrimBlanks(Globals().DownloadURL);
  if (!ChooseTarget(address)) return RunEnd::kDismissed;
  if (!downStopped_) lblDownStat_->SetCaption(Lang(1141));
  const std::u16string targetPath = cmd_->FileName;

  downInet_ = std::make_unique<Inet>(Globals().transferSettings);
  downInet_->Execute(address, u"GET");
  TimingMark("download-request");
  downRateTimer_->SetEnabled(true);
  btnStopDownload_->SetEnabled(true);
  while (downInet_->StillExecuting()) {
    DoEvents();
    if (downStopped_) return RunEnd::kStopped;
  }

  const std::int32_t fileSize = AwaitResponse();
  TimingMark("download-body", fileSize);
  // Only now is the target touched: a request that failed before leaves an existing file as
  // it was.
  target_.Open(targetPath);
  if (!ReceiveBody(fileSize)) return RunEnd::kStopped;
  CompleteDownload();
  return RunEnd::kCompleted;
}

// Shows the Save dialog until the user has chosen a file that may be written; false when the
// dialog was dismissed.
bool DownForm::ChooseTarget(const std::u16string& address) {
  const std::u16string defaultFolder = UserDesktopFolder();
  const std::u16string fileName = TrimBlanks(GetFileName(address, u"/", true));
  const std::u16string extension = TrimBlanks(GetFileExtension(fileName));
  if (!cmd_) cmd_ = ui_.CreateSaveDialog();
  cmd_->InitDir = defaultFolder;
  cmd_->Filter = u"*." + extension + u"|*." + extension;
  cmd_->FileName = fileName;
  for (;;) {
    cmd_->ShowSave();
    if (cmd_->FileName.empty()) return false;
    if (!CheckPathExist(cmd_->FileName)) return true;
    const MsgBoxResult answer =
        MsgBox(Lang(1150) + u"\r\n" + Lang(1151), kMsgYesNo, Globals().DownloaderTitle);
    if (answer == MsgBoxResult::kYes) return true;
  }
}

// The response has arrived: prepares the bar and returns the announced body length.
std::int32_t DownForm::AwaitResponse() {
  proBarDownload_->SetMax(100);
  DoEvents();
  const std::int32_t fileSize = ContentLengthValue(downInet_->GetHeader(u"Content-Length"));
  lblFileSizeVal_->SetCaption(SizeText(fileSize));
  return fileSize;
}

// Takes the body in requests of 1024 bytes (the last one asks for the rest) and appends each
// to the target; false when the user stopped it.
bool DownForm::ReceiveBody(std::int32_t fileSize) {
  const std::u16string receivingText = Lang(1148) + u" ...";
  std::int32_t remaining = fileSize;
  while (remaining != 0) {
    lblDownStat_->SetForeColor(kReceivingGreen);
    lblDownStat_->SetCaption(receivingText);
    DoEvents();
    if (downStopped_) return false;
    // The count goes down by what was asked for: the transfer control hands over exactly that
    // many bytes or fails.
    const std::int32_t asked = remaining > kChunkSize ? kChunkSize : remaining;
    const std::vector<std::uint8_t> chunk = downInet_->GetChunk(asked);
    remaining -= asked;
    CountChunk(downChunks_);
    ShowProgress(fileSize - remaining, fileSize);
    target_.Append(chunk.data(), chunk.size());
    DoEvents();
  }
  return true;
}

void DownForm::ShowProgress(std::int32_t downloaded, std::int32_t fileSize) {
  WriteDownText(downText_, downloaded, DownPercentage(downloaded, fileSize));
  lblDownVal_->SetCaption(downText_);
  proBarDownload_->SetValue(DownBarValue(downloaded, fileSize));
}

void DownForm::CompleteDownload() {
  target_.Close();
  lblDownStat_->SetForeColor(kCompleteBlue);
  lblDownStat_->SetCaption(Lang(1149));
  btnCancel_->SetVisible(false);
  btnStopDownload_->SetVisible(false);
  btnRunFile_->SetVisible(true);
  btnClose_->SetVisible(true);
  downRateTimer_->SetEnabled(false);
  lblTransferRateVal_->SetCaption(kRateWhenComplete);
  downCompleted_ = true;
  TimingMark("download-complete");
}

// Stop, Cancel and every failure end here. Nothing is deleted: the file keeps what was written,
// and the size, downloaded, rate and bar displays keep their last values.
void DownForm::TakeStoppedPath() {
  downStopped_ = true;
  ResumeNext([&] {
    if (downInet_) downInet_->Cancel();
  });
  ResumeNext([&] { downRateTimer_->SetEnabled(false); });
  ResumeNext([&] {
    lblDownStat_->SetForeColor(kStoppedRed);
    lblDownStat_->SetCaption(Lang(1144));
  });
  ResumeNext([&] { btnStopDownload_->SetVisible(false); });
  ResumeNext([&] { btnClose_->SetVisible(true); });
  target_.Close();
  TimingMark("download-stopped");
}

}  // namespace larkspan
