#pragma once
#include <functional>
#include <memory>

#include "net/Inet.h"
#include "ui/Controls.h"
#include "update/CheckOutcome.h"

namespace larkspan {

class DownForm;

// The update window: on load it takes its texts from the language table, 200 ms later it
// checks the maker's server for a newer release and shows the result and the news, keeps
// itself on top every two seconds, and ends the program when it closes.
//
// Members named as the window's own controls carry those names; the rest end in "_".
class CheckUpdatesForm {
 public:
  // Built by the program's user interface; `downloadWindow` gives the window that the Download
  // button shows.
  explicit CheckUpdatesForm(std::function<DownForm&()> downloadWindow);
  ~CheckUpdatesForm();
  CheckUpdatesForm(const CheckUpdatesForm&) = delete;
  CheckUpdatesForm& operator=(const CheckUpdatesForm&) = delete;

  // Shows the window without owner, not modal; the load handling runs first.
  void Show();
  Window& Form() { return *form_; }

  // The check sequence: connection probes, then the update information.
  void GoNow();
  // Fetches and takes apart the update information; fails to its caller on a failed fetch.
  void CheckUpdate();
  // Shows the outcome of a check that found the fields complete: the Download button for a
  // newer release, the result lines, and the news unless it is empty.
  void ShowNews(const CheckOutcome& outcome);

 private:
  void Form_Load();
  void ApplyLanguage();
  void Form_QueryUnload(bool& cancel);
  void Form_Unload(bool& cancel);
  void DoJobTimer_Timer();
  void OnTopFormTimer_Timer();
  void btnCancel_Click();
  void DownloadCB_Click();
  void imgDownload_Click();
  void imgReadMore_Click();
  void ShowNoConnection();
  void ShowServerError();
  void AppendNews(const std::u16string& text);

  std::unique_ptr<Window> form_;
  Label& StatusL;
  Label& lblLastNews;
  TextBox& NewsT;
  Button& DownloadCB;
  Button& btnCancel;
  Image& imgDownload;
  Image& imgReadMore;
  Timer& DoJobTimer;
  Timer& OnTopFormTimer;
  Inet Inet1;
  std::function<DownForm&()> downloadWindow_;
};

}  // namespace larkspan
