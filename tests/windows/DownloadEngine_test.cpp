// The download itself: dialog, request, body in chunks, complete and stopped ends.
#include <gtest/gtest.h>

#include "DownFormHarness.h"
#include "platform/AppPaths.h"

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

TEST_F(DownloadEngine, StopWhileReceivingKeepsThePartFileAndTheDisplays) {
  const std::string body = PatternBody(8192);
  Offer("/setup.exe", HttpResponse::Text(body), "setup.exe");
  OnceWhen([&] { return Chunks() == 3; }, [&] { Win().Click("btnStopDownload"); });
  RunThenClose([&] {
    ExpectStopped();
    EXPECT_EQ(Caption("lblDownVal"), "3 KB  ( 38 % )");
    EXPECT_EQ(Win().BarNamed("ProBarDownload").value, 38);
  });
  EXPECT_EQ(ReadFile(folder + "/setup.exe"), body.substr(0, 3072));
}

// Requests that end without a usable length: the window ends stopped without a message, and
// an existing target is not touched.
struct Broken {
  const char* name;
  HttpResponse response;
  bool refused = false;
};

HttpResponse Broke(void (*change)(HttpResponse&)) {
  HttpResponse r = HttpResponse::Text(std::string(3000, 'b'));
  change(r);
  return r;
}

class BrokenResponses : public DownFormTest, public ::testing::WithParamInterface<Broken> {};

TEST_P(BrokenResponses, EndStoppedAndLeaveTheExistingTargetAlone) {
  const std::string target = folder + "/setup.exe";
  std::ofstream(target) << "previous installer";
  Offer("/setup.exe", GetParam().response, "setup.exe");
  if (GetParam().refused) {
    Globals().DownloadURL =
        FromUtf8("http://127.0.0.1:" + std::to_string(HttpFixture::RefusedPort()) + "/setup.exe");
  }
  backend.msgAnswers = {MsgBoxResult::kYes};  // replace it
  RunThenClose([&] {
    ExpectStopped();
    EXPECT_EQ(Chunks(), 0u);
  });
  EXPECT_EQ(ReadFile(target), "previous installer");
  EXPECT_EQ(backend.messages.size(), 1u);  // only the replace question
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenResponses,
    ::testing::Values(
        Broken{"NoLength", Broke([](HttpResponse& r) { r.omitContentLength = true; })},
        Broken{"Chunked", Broke([](HttpResponse& r) { r.chunked = true; })},
        Broken{"Beyond32Bits", Broke([](HttpResponse& r) { r.rawContentLength = "2147483648"; })},
        Broken{"NotANumber", Broke([](HttpResponse& r) { r.rawContentLength = "12ab"; })},
        Broken{"Refused", HttpResponse::Text("x"), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadEngine, BodyCutShortKeepsTheChunksReadAndEndsStopped) {
  const std::string body = PatternBody(4096);
  HttpResponse cut = HttpResponse::Text(body);
  cut.sendBytes = 1500;
  Offer("/setup.exe", cut, "setup.exe");
  RunThenClose([&] { ExpectStopped(); });
  EXPECT_EQ(ReadFile(folder + "/setup.exe"), body.substr(0, 1024));
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

}  // namespace
}  // namespace larkspan::test
