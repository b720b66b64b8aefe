// The download window's life: opening, the four commands and the close rules.
#include "windows/WindowTestHarness.h"

namespace larkspan::test {
namespace {

using DownFormLifecycle = DownFormTest;

TEST_F(DownFormLifecycle, SecondOpeningStartsFreshAndADismissedDialogNeedsTwoCancels) {
  Offer("/setup.exe", HttpResponse::Text(PatternBody(3000)), "first.exe");
  RunThenClose([] {});
  ASSERT_TRUE(form->DownCompleted());

  backend.onSaveDialog = [&](const SaveDialogRecord& shown) {
    EXPECT_EQ(backend.Now() - 60'000, 200);  // the one-shot timer, 200 ms after opening
    EXPECT_EQ(Narrow(Win().caption), "Quillmere - Download Manager 1.01");
    HeadlessWindow& w = Win();
    EXPECT_EQ(Narrow(w.LabelNamed("lblFileSize").caption + w.LabelNamed("lblDown").caption +
                     w.LabelNamed("lblTransferRate").caption + w.ButtonNamed("btnClose").caption +
                     w.ButtonNamed("btnRunFile").caption +
                     w.ButtonNamed("btnStopDownload").caption + w.ButtonNamed("btnCancel").caption),
              "<168><1110><1111><578><1112><1133><717>");
    for (const char* value :
         {"lblFileSizeVal", "lblDownVal", "lblTransferRateVal", "lblDownStat"}) {
      EXPECT_EQ(Caption(value), "") << value;
    }
    EXPECT_TRUE(Shown("btnStopDownload") && Shown("btnCancel"));
    EXPECT_FALSE(Shown("btnClose") || Shown("btnRunFile") || form->DownCompleted());
    EXPECT_EQ(Narrow(shown.fileName), "setup.exe");  // not the path chosen before
    return std::u16string();
  };
  bool openAfterFirstCancel = false;
  backend.At(backend.Now() + 1000, [&] {
    Win().Click("btnCancel");
    openAfterFirstCancel = Win().visible;
  });
  backend.At(backend.Now() + 2000, [&] { Win().Click("btnCancel"); });
  form->ShowModal();
  EXPECT_TRUE(openAfterFirstCancel);
  EXPECT_FALSE(Win().visible);
  EXPECT_TRUE(backend.messages.empty());
  EXPECT_EQ(http.RequestCount("/setup.exe"), 1u);
}

TEST_F(DownFormLifecycle, CancelWhileDownloadingStopsAndClosesWithoutAsking) {
  const std::string body = PatternBody(8192);
  Offer("/setup.exe", HttpResponse::Text(body), "setup.exe");
  OnceWhen([&] { return Chunks() == 2; }, [&] { Win().Click("btnCancel"); });
  form->ShowModal();
  EXPECT_FALSE(Win().visible);
  EXPECT_TRUE(backend.messages.empty());
  EXPECT_TRUE(form->DownStopped());
  EXPECT_EQ(ReadFile(folder + "/setup.exe"), body.substr(0, 2048));
}

// Stop and a close within one pass: the download has not seen the stop yet, so the close
// waits until it has taken its stopped path, and the download then closes the window.
class StopAndCloseInOnePass : public DownFormTest, public ::testing::WithParamInterface<bool> {};

TEST_P(StopAndCloseInOnePass, CloseWaitsForTheDownloadToEnd) {
  const std::string body = PatternBody(8192);
  Offer("/setup.exe", HttpResponse::Text(body), "setup.exe");
  bool closedAtOnce = true;
  OnceWhen([&] { return Chunks() == 2; },
           [&] {
             Win().Click("btnStopDownload");
             GetParam() ? Win().Click("btnCancel") : Win().CloseBox();
             closedAtOnce = !Win().visible;
           });
  form->ShowModal();
  EXPECT_FALSE(closedAtOnce);
  EXPECT_FALSE(Win().visible);
  EXPECT_TRUE(backend.messages.empty());
  // Back at the layout's values: nothing was written into the window after its close.
  EXPECT_EQ(Caption("lblDownStat"), "[Download Status]");
  EXPECT_EQ(ReadFile(folder + "/setup.exe"), body.substr(0, 2048));
}

INSTANTIATE_TEST_SUITE_P(CancelOrCloseBox, StopAndCloseInOnePass, ::testing::Bool());

TEST_F(DownFormLifecycle, CloseBoxAnsweredNoLetsTheDownloadGoOn) {
  const std::string body = PatternBody(8192);
  Offer("/setup.exe", HttpResponse::Text(body), "setup.exe");
  bool refused = false;
  OnceWhen([&] { return Chunks() == 2; }, [&] { refused = !Win().CloseBox(); });
  RunThenClose([&] { EXPECT_EQ(Caption("lblDownStat"), "<1149>"); });
  EXPECT_TRUE(refused);
  EXPECT_EQ(ReadFile(folder + "/setup.exe"), body);
  ASSERT_EQ(backend.messages.size(), 1u);
  EXPECT_EQ(Narrow(backend.messages[0].prompt), "<1152>\r\n<1154>");
  EXPECT_EQ(backend.messages[0].style, kMsgYesNo);
  EXPECT_EQ(Narrow(backend.messages[0].title), "Quillmere - Download Manager");
}

TEST_F(DownFormLifecycle, CloseBoxAnsweredYesEndsTheProgramWithTheChunksWrittenOnDisk) {
  const std::string body = PatternBody(8192);
  Offer("/setup.exe", HttpResponse::Text(body), "setup.exe");
  OnceWhen([&] { return Chunks() == 3; },
           [&] {
             backend.msgAnswers = {MsgBoxResult::kYes};
             Win().CloseBox();
           });
  EXPECT_THROW(form->ShowModal(), ProgramEnded);
  EXPECT_EQ(backend.messages.size(), 1u);
  EXPECT_EQ(ReadFile(folder + "/setup.exe"), body.substr(0, 3 * 1024));
}

TEST_F(DownFormLifecycle, RunFileOpensTheSavedFileAndTheWindowStays) {
  Offer("/setup.exe", HttpResponse::Text("installer"), "my setup.exe");
  RunThenClose([&] {
    EXPECT_TRUE(Win().Click("btnRunFile"));
    EXPECT_TRUE(Win().visible);
  });
  EXPECT_EQ(launched,
            (std::vector<std::vector<std::string>>{{"xdg-open", folder + "/my setup.exe"}}));
}

}  // namespace
}  // namespace larkspan::test
