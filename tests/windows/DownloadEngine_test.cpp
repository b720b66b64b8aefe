// The download itself: dialog, request, body in chunks, progress and rate displays, complete
// and stopped ends. How it ends on network and server faults is in the fault matrix.
#include "download_window/DownProgress.h"
#include "platform/AppPaths.h"
#include "platform/Failure.h"
#include "windows/WindowTestHarness.h"

namespace larkspan::test {
namespace {

using DownloadEngine = DownFormTest;

struct BodyCase {
  std::size_t size;
  std::string fileSize;
  std::vector<std::string> downTexts;  // after each chunk request
  std::vector<int> bar;
};

class BodySizes : public DownFormTest, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(BodySizes, SavedWholeInChunksWithProgressAndCompleteState) {
  const BodyCase& c = GetParam();
  const std::string body = PatternBody(c.size);
  Offer("/files/vantrel_setup.exe", HttpResponse::Text(body), "setup.exe");
  RunThenClose([&] {
    EXPECT_EQ(Caption("lblFileSizeVal"), c.fileSize);
    std::vector<std::string> down{""};  // emptied at load
    down.insert(down.end(), c.downTexts.begin(), c.downTexts.end());
    std::vector<std::string> status{"", "<1141>"};
    status.insert(status.end(), c.downTexts.size(), "<1148> ...");
    status.push_back("<1149>");
    EXPECT_EQ(History("lblDownVal"), down);
    EXPECT_EQ(History("lblDownStat"), status);
    EXPECT_EQ(Win().BarNamed("ProBarDownload").valueHistory, c.bar);
    EXPECT_EQ(Win().LabelNamed("lblDownStat").foreColor, 0x0000FFu);
    EXPECT_EQ(Caption("lblTransferRateVal"), "0  ( KB/Sec )");
    EXPECT_TRUE(Shown("btnClose") && Shown("btnRunFile"));
    EXPECT_FALSE(Shown("btnStopDownload") || Shown("btnCancel"));
  });
  ASSERT_EQ(backend.saveDialogs.size(), 1u);
  EXPECT_EQ(Narrow(backend.saveDialogs[0].fileName), "vantrel_setup.exe");
  EXPECT_EQ(Narrow(backend.saveDialogs[0].filter), "*.exe|*.exe");
  EXPECT_EQ(backend.saveDialogs[0].initDir, UserDesktopFolder());
  EXPECT_EQ(ReadFile(folder + "/setup.exe"), body);
  EXPECT_TRUE(backend.messages.empty());  // the close after completion asks nothing
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, BodySizes,
    ::testing::Values(
        BodyCase{0, "0 Bytes", {}, {}},
        BodyCase{1000, "1000 Bytes", {"1000 Bytes  ( 100 % )"}, {100}},
        BodyCase{1024, "1 KB", {"1 KB  ( 100 % )"}, {100}},
        BodyCase{1025, "1 KB", {"1 KB  ( 100 % )", "1 KB  ( 100 % )"}, {100, 100}},
        BodyCase{2048, "2 KB", {"1 KB  ( 50 % )", "2 KB  ( 100 % )"}, {50, 100}},
        BodyCase{
            3072, "3 KB", {"1 KB  ( 33 % )", "2 KB  ( 67 % )", "3 KB  ( 100 % )"}, {33, 67, 100}},
        BodyCase{8192,
                 "8 KB",
                 {"1 KB  ( 12 % )", "2 KB  ( 25 % )", "3 KB  ( 38 % )", "4 KB  ( 50 % )",
                  "5 KB  ( 62 % )", "6 KB  ( 75 % )", "7 KB  ( 88 % )", "8 KB  ( 100 % )"},
                 {12, 25, 38, 50, 62, 75, 88, 100}}));

TEST_F(DownloadEngine, ErrorPageAtAnAddressEndingInSlashIsSavedAsComplete) {
  Offer("/files/", HttpResponse::Text("<html>gone</html>", 404), "page.html");
  Globals().DownloadURL = u"  " + Globals().DownloadURL + u" ";  // blanks are not part of it
  RunThenClose([&] { EXPECT_EQ(Caption("lblDownStat"), "<1149>"); });
  EXPECT_EQ(Narrow(backend.saveDialogs.at(0).fileName), "");
  EXPECT_EQ(Narrow(backend.saveDialogs.at(0).filter), "*.|*.");
  EXPECT_EQ(ReadFile(folder + "/page.html"), "<html>gone</html>");
}

TEST_F(DownloadEngine, ReplaceNoShowsTheDialogAgainAndYesLeavesNoOldBytes) {
  const std::string target = folder + "/setup.exe";
  std::ofstream(target) << std::string(5000, 'o');
  Offer("/setup.exe", HttpResponse::Text("new installer"), "setup.exe");
  backend.saveAnswers = {FromUtf8(target), FromUtf8(target)};
  backend.msgAnswers = {MsgBoxResult::kNo, MsgBoxResult::kYes};
  RunThenClose([] {});
  ASSERT_EQ(backend.saveDialogs.size(), 2u);
  EXPECT_EQ(Narrow(backend.saveDialogs[1].fileName), target);  // the path just chosen
  ASSERT_EQ(backend.messages.size(), 2u);
  for (const MessageRecord& m : backend.messages) {
    EXPECT_EQ(Narrow(m.prompt), "<1150>\r\n<1151>");
    EXPECT_EQ(m.style, kMsgYesNo);
    EXPECT_EQ(Narrow(m.title), "Quillmere - Download Manager");
  }
  EXPECT_EQ(ReadFile(target), "new installer");
}

TEST_F(DownloadEngine, StopWhileWaitingCreatesNoFile) {
  HttpResponse silent;
  silent.silent = true;
  Offer("/slow.exe", silent, "slow.exe");
  OnceWhen([] { return true; }, [&] { Win().Click("btnStopDownload"); });
  RunThenClose([&] {
    ExpectStopped();
    EXPECT_EQ(Caption("lblFileSizeVal"), "");
  });
  EXPECT_FALSE(ReadFile(folder + "/slow.exe"));
}

TEST_F(DownloadEngine, StopWhileReceivingKeepsThePartFileAndTheDisplaysAndCancelCloses) {
  const std::string body = PatternBody(8192);
  Offer("/setup.exe", HttpResponse::Text(body), "setup.exe");
  OnceWhen([&] { return Chunks() == 3; }, [&] { Win().Click("btnStopDownload"); });
  RunThenClose(
      [&] {
        ExpectStopped();
        EXPECT_EQ(Caption("lblDownVal"), "3 KB  ( 38 % )");
        EXPECT_EQ(Win().BarNamed("ProBarDownload").value, 38);
      },
      "btnCancel");
  EXPECT_TRUE(backend.messages.empty());
  EXPECT_EQ(ReadFile(folder + "/setup.exe"), body.substr(0, 3072));
}

TEST_F(DownloadEngine, MoreThan32767ChunksBetweenTwoRateTicksFail) {
  HttpResponse big = HttpResponse::Text(PatternBody(1024));
  big.repeat = 32768 + 1;
  Offer("/big.bin", big, "big.bin");
  RunThenClose([&] { ExpectStopped(); });
  EXPECT_EQ(form->DownChunks(), 32767);
  // The chunk that overflowed the count was taken but not written.
  EXPECT_EQ(std::filesystem::file_size(folder + "/big.bin"), 32767u * 1024u);
}

TEST_F(DownloadEngine, RateShowsTheChunksSinceTheLastTickAndStartsAgain) {
  Offer("/setup.exe", HttpResponse::Text(PatternBody(8192)), "setup.exe");
  std::vector<std::string> rates;
  std::size_t nextTickAt = 5;
  backend.onEveryYield = [&] {
    if (Chunks() != nextTickAt) return;
    nextTickAt = nextTickAt == 5 ? 7 : 0;  // then never again
    backend.Advance(1000);
    rates.push_back(Caption("lblTransferRateVal"));
  };
  RunThenClose([&] { EXPECT_EQ(Caption("lblTransferRateVal"), "0  ( KB/Sec )"); });
  EXPECT_EQ(rates, (std::vector<std::string>{"5  ( KB/Sec )", "2  ( KB/Sec )"}));
}

// The announced length as the download reads it (the refused ones are rows of the matrix).
TEST(ContentLengthValue, RoundsHalvesToEvenWithin32Bits) {
  EXPECT_EQ(ContentLengthValue(u"12.5"), 12);
  EXPECT_EQ(ContentLengthValue(u"13.5"), 14);
  EXPECT_EQ(ContentLengthValue(u"2147483647"), 2147483647);
  EXPECT_THROW(ContentLengthValue(u"2147483647.5"), Failure);
}

}  // namespace
}  // namespace larkspan::test
