// The download window's life: opening, the four commands and the close rules.
#include <gtest/gtest.h>

#include "DownFormHarness.h"

namespace larkspan::test {
namespace {

using DownFormLifecycle = DownFormTest;

// The window as Form_Load leaves it: start-up captions, empty values, Stop and Cancel.
void ExpectFreshlyOpened(HeadlessWindow& w) {
  EXPECT_EQ(Narrow(w.caption), "Quillmere - Download Manager 1.01");
  EXPECT_EQ(Narrow(w.LabelNamed("lblFileSize").caption), "<168>");
  EXPECT_EQ(Narrow(w.LabelNamed("lblDown").caption), "<1110>");
  EXPECT_EQ(Narrow(w.LabelNamed("lblTransferRate").caption), "<1111>");
  EXPECT_EQ(Narrow(w.ButtonNamed("btnClose").caption), "<578>");
  EXPECT_EQ(Narrow(w.ButtonNamed("btnRunFile").caption), "<1112>");
  EXPECT_EQ(Narrow(w.ButtonNamed("btnStopDownload").caption), "<1133>");
  EXPECT_EQ(Narrow(w.ButtonNamed("btnCancel").caption), "<717>");
  for (const char* value : {"lblFileSizeVal", "lblDownVal", "lblTransferRateVal", "lblDownStat"}) {
    EXPECT_EQ(Narrow(w.LabelNamed(value).caption), "") << value;
  }
  EXPECT_EQ(w.BarNamed("ProBarDownload").value, 0);
  EXPECT_TRUE(w.ButtonNamed("btnStopDownload").visible);
  EXPECT_TRUE(w.ButtonNamed("btnStopDownload").enabled);
  EXPECT_TRUE(w.ButtonNamed("btnCancel").visible);
  EXPECT_FALSE(w.ButtonNamed("btnClose").visible);
  EXPECT_FALSE(w.ButtonNamed("btnRunFile").visible);
}

TEST_F(DownFormLifecycle, DismissedDialogThenCancelTwiceClosesWithoutAsking) {
  Offer("/setup.exe", HttpResponse::Text("body"));
  backend.onSaveDialog = [&](const SaveDialogRecord&) {
    EXPECT_EQ(backend.Now(), 200);  // the one-shot timer starts the download
    ExpectFreshlyOpened(Win());
    return std::u16string();
  };
  bool visibleAfterFirst = false;
  backend.At(1000, [&] {
    EXPECT_TRUE(Win().Click("btnCancel"));
    visibleAfterFirst = Win().visible;
    EXPECT_EQ(Narrow(Win().LabelNamed("lblDownStat").caption), "");
  });
  backend.At(2000, [&] { Win().Click("btnCancel"); });

  form->ShowModal();
  EXPECT_TRUE(visibleAfterFirst);
  EXPECT_FALSE(Win().visible);
  EXPECT_TRUE(backend.messages.empty());
  EXPECT_EQ(http.RequestCount("/setup.exe"), 0u);
}

TEST_F(DownFormLifecycle, SecondOpeningStartsFresh) {
  Offer("/setup.exe", HttpResponse::Text(PatternBody(3000)));
  backend.saveAnswers = {FromUtf8(Target("first.exe"))};
  ASSERT_TRUE(RunAndClose());
  ASSERT_TRUE(form->DownCompleted());

  backend.onSaveDialog = [&](const SaveDialogRecord& shown) {
    ExpectFreshlyOpened(Win());
    EXPECT_FALSE(form->DownCompleted());
    EXPECT_FALSE(form->DownStopped());
    EXPECT_EQ(Narrow(shown.fileName), "setup.exe");  // not the path chosen before
    return std::u16string();
  };
  backend.At(backend.Now() + 1000, [&] { Win().Click("btnCancel"); });
  backend.At(backend.Now() + 2000, [&] { Win().Click("btnCancel"); });
  form->ShowModal();
  EXPECT_EQ(backend.saveDialogs.size(), 2u);
  EXPECT_EQ(Win().loads, 2);
  EXPECT_FALSE(Win().visible);
}

TEST_F(DownFormLifecycle, CancelWhileDownloadingStopsAndClosesWithoutAsking) {
  const std::string body = PatternBody(8192);
  Offer("/setup.exe", HttpResponse::Text(body));
  backend.saveAnswers = {FromUtf8(Target("setup.exe"))};
  OnceWhen([&] { return ChunksShown() == 2; }, [&] { Win().Click("btnCancel"); });

  form->ShowModal();
  EXPECT_FALSE(Win().visible);
  EXPECT_TRUE(backend.messages.empty());
  EXPECT_FALSE(backend.programEnded);
  EXPECT_TRUE(form->DownStopped());
  EXPECT_EQ(ReadFile(Target("setup.exe")), body.substr(0, 2048));
}

TEST_F(DownFormLifecycle, StopThenCancelClosesWithoutAsking) {
  Offer("/setup.exe", HttpResponse::Text(PatternBody(8192)));
  backend.saveAnswers = {FromUtf8(Target("setup.exe"))};
  OnceWhen([&] { return ChunksShown() == 1; }, [&] { Win().Click("btnStopDownload"); });
  bool stopEnabled = true;
  backend.At(10'000, [&] {
    stopEnabled = Win().ButtonNamed("btnStopDownload").enabled;
    Win().Click("btnCancel");
  });
  form->ShowModal();
  EXPECT_FALSE(stopEnabled);
  EXPECT_FALSE(Win().visible);
  EXPECT_TRUE(backend.messages.empty());
}

// Stop and a close in the same pass: the download has not seen the stop yet, so the close
// must wait until it has taken its stopped path; the window is then closed by the download,
// and nothing is written into it afterwards.
class StopAndCloseInOnePass : public DownFormTest,
                              public ::testing::WithParamInterface<const char*> {};

TEST_P(StopAndCloseInOnePass, CloseWaitsForTheDownloadToEnd) {
  const std::string body = PatternBody(8192);
  Offer("/setup.exe", HttpResponse::Text(body));
  backend.saveAnswers = {FromUtf8(Target("setup.exe"))};
  bool closedAtOnce = true;
  OnceWhen([&] { return ChunksShown() == 2; },
           [&] {
             Win().Click("btnStopDownload");
             if (std::string(GetParam()) == "btnCancel") {
               Win().Click("btnCancel");
             } else {
               Win().CloseBox();
             }
             closedAtOnce = !Win().visible;
           });

  form->ShowModal();
  EXPECT_FALSE(closedAtOnce);
  EXPECT_FALSE(Win().visible);
  EXPECT_TRUE(backend.messages.empty());
  EXPECT_FALSE(backend.programEnded);
  // The closed window is back at its layout values: the stopped path ran before the close.
  EXPECT_EQ(Narrow(Win().LabelNamed("lblDownStat").caption), "[Download Status]");
  EXPECT_FALSE(Win().ButtonNamed("btnClose").visible);
  EXPECT_EQ(ReadFile(Target("setup.exe")), body.substr(0, 2048));
}

INSTANTIATE_TEST_SUITE_P(Commands, StopAndCloseInOnePass,
                         ::testing::Values("btnCancel", "closeBox"));

TEST_F(DownFormLifecycle, CloseBoxAnsweredNoLetsTheDownloadGoOn) {
  const std::string body = PatternBody(8192);
  Offer("/setup.exe", HttpResponse::Text(body));
  backend.saveAnswers = {FromUtf8(Target("setup.exe"))};
  bool refused = false;
  OnceWhen([&] { return ChunksShown() == 2; },
           [&] {
             backend.msgAnswers = {MsgBoxResult::kNo};
             refused = !Win().CloseBox();
           });

  std::optional<Shown> shown = RunAndClose();
  EXPECT_TRUE(refused);
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->status, "<1149>");
  EXPECT_EQ(ReadFile(Target("setup.exe")), body);
  ASSERT_EQ(backend.messages.size(), 1u);  // the close after completion asks nothing
  EXPECT_EQ(Narrow(backend.messages[0].prompt), "<1152>\r\n<1154>");
  EXPECT_EQ(backend.messages[0].style, kMsgYesNo);
  EXPECT_EQ(Narrow(backend.messages[0].title), "Quillmere - Download Manager");
}

TEST_F(DownFormLifecycle, CloseBoxAnsweredYesEndsTheProgramAndKeepsTheChunksWritten) {
  const std::string body = PatternBody(8192);
  Offer("/setup.exe", HttpResponse::Text(body));
  backend.saveAnswers = {FromUtf8(Target("setup.exe"))};
  std::size_t chunksAtClose = 0;
  OnceWhen([&] { return ChunksShown() == 3; },
           [&] {
             chunksAtClose = ChunksShown();
             backend.msgAnswers = {MsgBoxResult::kYes};
             Win().CloseBox();
           });

  EXPECT_THROW(form->ShowModal(), ProgramEnded);
  EXPECT_TRUE(backend.programEnded);
  EXPECT_EQ(backend.messages.size(), 1u);
  EXPECT_EQ(chunksAtClose, 3u);
  EXPECT_EQ(ReadFile(Target("setup.exe")), body.substr(0, 3 * 1024));
}

TEST_F(DownFormLifecycle, CloseBoxBeforeAnyDownloadAsksAndYesEndsTheProgram) {
  backend.saveAnswers = {u""};
  backend.msgAnswers = {MsgBoxResult::kYes};
  backend.At(1000, [&] { Win().CloseBox(); });
  EXPECT_THROW(form->ShowModal(), ProgramEnded);
  ASSERT_EQ(backend.messages.size(), 1u);
  EXPECT_EQ(Narrow(backend.messages[0].prompt), "<1152>\r\n<1154>");
}

TEST_F(DownFormLifecycle, StopBeforeTheFirstTickMeansNoDownloadAndNoQuestion) {
  backend.At(100, [&] { Win().Click("btnStopDownload"); });
  backend.At(1000, [&] { Win().CloseBox(); });
  form->ShowModal();
  EXPECT_TRUE(backend.saveDialogs.empty());
  EXPECT_TRUE(backend.messages.empty());
  EXPECT_FALSE(Win().visible);
}

TEST_F(DownFormLifecycle, RunFileOpensTheSavedFileAndTheWindowStays) {
  Offer("/setup.exe", HttpResponse::Text("installer"));
  const std::string target = Target("my setup.exe");
  backend.saveAnswers = {FromUtf8(target)};
  bool visibleAfterRun = false;
  backend.At(10'000, [&] {
    EXPECT_TRUE(Win().Click("btnRunFile"));
    visibleAfterRun = Win().visible;
    Win().Click("btnClose");
  });
  form->ShowModal();
  EXPECT_TRUE(visibleAfterRun);
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0], (std::vector<std::string>{"xdg-open", target}));
  EXPECT_TRUE(backend.messages.empty());
}

}  // namespace
}  // namespace larkspan::test
