#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "net/Inet.h"
#include "os/TargetFile.h"
#include "ui/Controls.h"
#include "update/ReleaseSignature.h"

namespace larkspan {

// The download window: asks where to save the installer, fetches it in chunks of 1024 bytes
// and shows size, progress and rate; Stop, Cancel, Close and Run File.
//
// Everything runs on the user-interface thread. The download (StartDownload) lets pending
// events run at fixed points; the commands that arrive there only set the window variables,
// which the download reads after each such point.
//
// Members named as the window's own controls and variables carry those names; the rest end
// in "_".
class DownForm {
 public:
  DownForm();  // built by the program's user interface
  ~DownForm();
  DownForm(const DownForm&) = delete;
  DownForm& operator=(const DownForm&) = delete;

  // Opens the window modally; returns when it has closed.
  void ShowModal();
  Window& Form() { return *form_; }

  // One download from the Save dialog to the saved file; returns when it has ended. Started
  // by the window's one-shot timer after it opened.
  void StartDownload();

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

  // The download's phases.
  RunEnd Download();
  bool ChooseTarget(const std::u16string& address);
  std::int32_t AwaitResponse();
  bool ReceiveBody(std::int32_t fileSize);
  bool KeepVerified(const std::filesystem::path& targetPath);
  void CompleteDownload();
  void TakeStoppedPath();

  std::unique_ptr<Window> form_;
  Label& lblDownStat;
  Label& lblFileSize;
  Label& lblFileSizeVal;
  Label& lblDown;
  Label& lblDownVal;
  Label& lblTransferRate;
  Label& lblTransferRateVal;
  ProgressBar& ProBarDownload;
  Button& btnStopDownload;
  Button& btnClose;
  Button& btnCancel;
  Button& btnRunFile;
  Timer& DoDwonJobTimer;
  Timer& DownRateTimer;

  // The window variables, set afresh at each opening.
  bool DownStopped = false;
  bool CloseWhenStopped = false;
  bool DownCompleted = false;
  std::int16_t DownChunks = 0;

  std::unique_ptr<SaveDialog> CMD;  // the Save dialog; a new one at each opening
  std::unique_ptr<Inet> DownInet;   // the transfer of the running download
  TargetFile target_;               // the file of the running download
  // A build with a release key: what the installer must match, and the file that holds its
  // bytes until they do.
  std::optional<InstallerCheck> installerCheck_;
  std::filesystem::path unverified_;
  // StartDownload is running: a close that would go ahead now waits for its end.
  bool downloadRunning_ = false;
};

}  // namespace larkspan
