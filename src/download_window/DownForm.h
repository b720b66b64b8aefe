#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "download_window/TargetFile.h"
#include "platform/Controls.h"
#include "platform/Inet.h"
#include "platform/UiFactory.h"

namespace larkspan {

// The download window: asks where to save the installer, fetches it in chunks of 1024 bytes
// and shows size, progress and rate; Stop, Cancel, Close and Run File.
//
// Everything runs on the user-interface thread. The download (StartDownload) lets pending
// events run at fixed points; the commands that arrive there only set the window variables,
// which the download reads after each such point.
class DownForm {
 public:
  explicit DownForm(UiFactory& ui);
  ~DownForm();
  DownForm(const DownForm&) = delete;
  DownForm& operator=(const DownForm&) = delete;

  // Opens the window modally; returns when it has closed.
  void ShowModal();
  Window& Form() { return *form_; }

  // One download from the Save dialog to the saved file; returns when it has ended. Started
  // by the window's one-shot timer after it opened.
  void StartDownload();

  // The window variables, as the last opening left them.
  bool DownStopped() const { return downStopped_; }
  bool CloseWhenStopped() const { return closeWhenStopped_; }
  bool DownCompleted() const { return downCompleted_; }
  std::int16_t DownChunks() const { return downChunks_; }

 private:
  enum class RunEnd { kDismissed, kCompleted, kStopped };

  // Window events and commands.
  void Form_Load();
  void ApplyLanguage();
  void DoDwonJobTimer_Timer();
  void DownRateTimer_Timer();
  void btnStopDownload_Click();
  void btnCancel_Click();
  void btnRunFile_Click();
  void btnClose_Click();
  void Form_Unload(bool& cancel);

  // The download's phases (DownloadEngine.cpp).
  RunEnd Download();
  bool ChooseTarget(const std::u16string& address);
  std::int32_t AwaitResponse();
  bool ReceiveBody(std::int32_t fileSize);
  void ShowProgress(std::int32_t downloaded, std::int32_t fileSize);
  void CompleteDownload();
  void TakeStoppedPath();

  UiFactory& ui_;
  std::unique_ptr<Window> form_;

  // The controls, looked up once: the chunk loop writes to several of them per chunk.
  Label* lblDownStat_;
  Label* lblFileSize_;
  Label* lblFileSizeVal_;
  Label* lblDown_;
  Label* lblDownVal_;
  Label* lblTransferRate_;
  Label* lblTransferRateVal_;
  ProgressBar* proBarDownload_;
  Button* btnStopDownload_;
  Button* btnClose_;
  Button* btnCancel_;
  Button* btnRunFile_;
  Timer* doDwonJobTimer_;
  Timer* downRateTimer_;

  std::unique_ptr<SaveDialog> cmd_;  // the Save dialog; a new one at each opening
  std::unique_ptr<Inet> downInet_;   // the transfer of the running download
  TargetFile target_;                // the file of the running download
  std::u16string downText_;          // storage of the downloaded text, reused per chunk

  // Window variables, set afresh at each opening.
  bool downStopped_ = false;
  bool closeWhenStopped_ = false;
  bool downCompleted_ = false;
  std::int16_t downChunks_ = 0;

  // StartDownload is running: a close that would go ahead now waits for its end.
  bool downloadRunning_ = false;
};

}  // namespace larkspan
