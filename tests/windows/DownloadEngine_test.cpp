// The download itself: dialog, request, body in chunks, complete and stopped ends.
#include <gtest/gtest.h>

#include "DownFormHarness.h"
#include "platform/AppPaths.h"

namespace larkspan::test {
namespace {

constexpr Rgb kGreen = 0x0C8B3F, kBlue = 0x0000FF, kRed = 0xFF0000;

using DownloadEngine = DownFormTest;

struct BodyCase {
  std::size_t size;
  std::string fileSizeText;
  std::vector<std::string> downTexts;  // one per chunk request
  std::vector<int> barValues;
};

class BodySizes : public DownFormTest, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(BodySizes, SavesTheBodyInChunksAndReportsComplete) {
  const BodyCase& c = GetParam();
  const std::string body = PatternBody(c.size);
  Offer("/files/vantrel_setup.exe", HttpResponse::Text(body));
  backend.saveAnswers = {FromUtf8(Target("setup.exe"))};

  std::optional<Shown> shown = RunAndClose();
  ASSERT_TRUE(shown);

  ASSERT_EQ(backend.saveDialogs.size(), 1u);
  EXPECT_EQ(Narrow(backend.saveDialogs[0].fileName), "vantrel_setup.exe");
  EXPECT_EQ(Narrow(backend.saveDialogs[0].filter), "*.exe|*.exe");
  EXPECT_EQ(backend.saveDialogs[0].initDir, UserDesktopFolder());
  EXPECT_EQ(ReadFile(Target("setup.exe")), body);
  EXPECT_TRUE(backend.messages.empty());

  EXPECT_EQ(shown->fileSize, c.fileSizeText);
  std::vector<std::string> downTexts{""};  // emptied at load
  downTexts.insert(downTexts.end(), c.downTexts.begin(), c.downTexts.end());
  EXPECT_EQ(shown->downHistory, downTexts);
  EXPECT_EQ(shown->barHistory, c.barValues);
  EXPECT_EQ(shown->barMax, 100);
  EXPECT_EQ(shown->status, "<1149>");
  EXPECT_EQ(shown->statusColor, kBlue);
  EXPECT_EQ(shown->rate, "0  ( KB/Sec )");
  EXPECT_FALSE(shown->stop);
  EXPECT_FALSE(shown->cancel);
  EXPECT_TRUE(shown->close);
  EXPECT_TRUE(shown->runFile);

  // Status line: empty at load, requesting, one receiving text per chunk, complete.
  std::vector<std::string> statuses{"", "<1141>"};
  statuses.insert(statuses.end(), c.downTexts.size(), "<1148> ...");
  statuses.push_back("<1149>");
  EXPECT_EQ(shown->statusHistory, statuses);
  EXPECT_TRUE(form->DownCompleted());
  EXPECT_FALSE(Win().visible);  // Close after completion asks nothing
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

TEST_F(DownloadEngine, AddressEndingInSlashOffersNoNameAndAnEmptyExtension) {
  Offer("/files/", HttpResponse::Text("listing"));
  // Blanks around the address are not part of it.
  Globals().DownloadURL = u"  " + Globals().DownloadURL + u" ";
  backend.saveAnswers = {FromUtf8(Target("listing.txt"))};

  std::optional<Shown> shown = RunAndClose();
  ASSERT_TRUE(shown);
  ASSERT_EQ(backend.saveDialogs.size(), 1u);
  EXPECT_EQ(Narrow(backend.saveDialogs[0].fileName), "");
  EXPECT_EQ(Narrow(backend.saveDialogs[0].filter), "*.|*.");
  EXPECT_EQ(ReadFile(Target("listing.txt")), "listing");
  EXPECT_EQ(shown->status, "<1149>");
}

TEST_F(DownloadEngine, ReplacingAskedNoShowsTheDialogAgainAndYesLeavesNoOldBytes) {
  const std::string target = Target("setup.exe");
  WriteFile(target, std::string(5000, 'o'));
  Offer("/setup.exe", HttpResponse::Text("new installer"));
  backend.onSaveDialog = [&](const SaveDialogRecord&) { return FromUtf8(target); };
  backend.msgAnswers = {MsgBoxResult::kNo, MsgBoxResult::kYes};

  std::optional<Shown> shown = RunAndClose();
  ASSERT_TRUE(shown);
  ASSERT_EQ(backend.saveDialogs.size(), 2u);
  EXPECT_EQ(Narrow(backend.saveDialogs[0].fileName), "setup.exe");
  EXPECT_EQ(Narrow(backend.saveDialogs[1].fileName), target);  // the path just chosen
  ASSERT_EQ(backend.messages.size(), 2u);
  for (const MessageRecord& m : backend.messages) {
    EXPECT_EQ(Narrow(m.prompt), "<1150>\r\n<1151>");
    EXPECT_EQ(m.style, kMsgYesNo);
    EXPECT_EQ(Narrow(m.title), "Quillmere - Download Manager");
  }
  EXPECT_EQ(ReadFile(target), "new installer");
  EXPECT_EQ(http.RequestCount("/setup.exe"), 1u);
}

TEST_F(DownloadEngine, ErrorPageWithLengthIsSavedAndReportedComplete) {
  Offer("/gone.exe", HttpResponse::Text("<html>not here</html>", 404));
  backend.saveAnswers = {FromUtf8(Target("gone.exe"))};
  std::optional<Shown> shown = RunAndClose();
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->status, "<1149>");
  EXPECT_EQ(ReadFile(Target("gone.exe")), "<html>not here</html>");
}

void ExpectStoppedButtons(const Shown& s) {
  EXPECT_EQ(s.status, "<1144>");
  EXPECT_EQ(s.statusColor, kRed);
  EXPECT_FALSE(s.stop);
  EXPECT_TRUE(s.close);
  EXPECT_TRUE(s.cancel);
  EXPECT_FALSE(s.runFile);
}

TEST_F(DownloadEngine, StopWhileWaitingCancelsTheRequestAndCreatesNoFile) {
  HttpResponse silent;
  silent.silent = true;
  Offer("/slow.exe", silent);
  backend.saveAnswers = {FromUtf8(Target("slow.exe"))};
  OnceWhen([] { return true; }, [&] { Win().Click("btnStopDownload"); });

  std::optional<Shown> shown = RunAndClose();
  ASSERT_TRUE(shown);
  ExpectStoppedButtons(*shown);
  EXPECT_EQ(shown->fileSize, "");
  EXPECT_FALSE(ReadFile(Target("slow.exe")));
  EXPECT_TRUE(form->DownStopped());
  EXPECT_TRUE(backend.messages.empty());
}

TEST_F(DownloadEngine, StopWhileReceivingKeepsThePartialFileAndTheDisplays) {
  const std::string body = PatternBody(8192);
  Offer("/setup.exe", HttpResponse::Text(body));
  backend.saveAnswers = {FromUtf8(Target("setup.exe"))};
  OnceWhen([&] { return ChunksShown() == 3; }, [&] { Win().Click("btnStopDownload"); });

  std::optional<Shown> shown = RunAndClose();
  ASSERT_TRUE(shown);
  ExpectStoppedButtons(*shown);
  EXPECT_EQ(shown->fileSize, "8 KB");
  EXPECT_EQ(shown->down, "3 KB  ( 38 % )");
  EXPECT_EQ(shown->barValue, 38);
  EXPECT_EQ(ReadFile(Target("setup.exe")), body.substr(0, 3072));
}

// Requests that end without a usable length: nothing is written, an existing target stays as
// it was, and the window ends stopped without a message.
struct BrokenResponse {
  const char* name;
  HttpResponse response;
  bool refused = false;
};

class BrokenResponses : public DownFormTest,
                        public ::testing::WithParamInterface<BrokenResponse> {};

TEST_P(BrokenResponses, EndStoppedAndLeaveTheExistingTargetUntouched) {
  const std::string target = Target("setup.exe");
  WriteFile(target, "previous installer");
  Offer("/setup.exe", GetParam().response);
  if (GetParam().refused) {
    Globals().DownloadURL =
        FromUtf8("http://127.0.0.1:" + std::to_string(HttpFixture::RefusedPort()) + "/setup.exe");
  }
  backend.saveAnswers = {FromUtf8(target)};
  backend.msgAnswers = {MsgBoxResult::kYes};

  std::optional<Shown> shown = RunAndClose();
  ASSERT_TRUE(shown);
  ExpectStoppedButtons(*shown);
  EXPECT_EQ(ReadFile(target), "previous installer");
  ASSERT_EQ(backend.messages.size(), 1u);  // only the replace question
  EXPECT_EQ(shown->downHistory, std::vector<std::string>{""});  // no chunk counted
}

HttpResponse WithoutLength() {
  HttpResponse r = HttpResponse::Text("body");
  r.omitContentLength = true;
  return r;
}

HttpResponse RawLength(const char* value) {
  HttpResponse r = HttpResponse::Text("body");
  r.rawContentLength = value;
  return r;
}

HttpResponse Chunked() {
  HttpResponse r = HttpResponse::Text(std::string(3000, 'c'));
  r.chunked = true;
  return r;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenResponses,
    ::testing::Values(BrokenResponse{"NoLength", WithoutLength()},
                      BrokenResponse{"Chunked", Chunked()},
                      BrokenResponse{"LengthBeyond32Bits", RawLength("2147483648")},
                      BrokenResponse{"LengthNotANumber", RawLength("12ab")},
                      BrokenResponse{"ConnectionRefused", HttpResponse::Text("x"), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadEngine, BodyCutShortKeepsTheChunksReadAndEndsStopped) {
  const std::string body = PatternBody(4096);
  HttpResponse cut = HttpResponse::Text(body);
  cut.sendBytes = 1500;
  Offer("/setup.exe", cut);
  backend.saveAnswers = {FromUtf8(Target("setup.exe"))};

  std::optional<Shown> shown = RunAndClose();
  ASSERT_TRUE(shown);
  ExpectStoppedButtons(*shown);
  EXPECT_EQ(shown->down, "1 KB  ( 25 % )");
  EXPECT_EQ(ReadFile(Target("setup.exe")), body.substr(0, 1024));
}

TEST_F(DownloadEngine, UnwritableTargetEndsStopped) {
  Offer("/setup.exe", HttpResponse::Text("body"));
  backend.saveAnswers = {FromUtf8(folder + "/missing/setup.exe")};
  std::optional<Shown> shown = RunAndClose();
  ASSERT_TRUE(shown);
  ExpectStoppedButtons(*shown);
  EXPECT_EQ(shown->fileSize, "4 Bytes");
}

TEST_F(DownloadEngine, MoreThan32767ChunksBetweenTwoRateTicksFail) {
  // Virtual time stands still during the download, so the rate timer never resets the count.
  HttpResponse big = HttpResponse::Text(PatternBody(1024));
  big.repeat = 32768 + 1;
  Offer("/big.bin", big);
  backend.saveAnswers = {FromUtf8(Target("big.bin"))};

  std::optional<Shown> shown = RunAndClose();
  ASSERT_TRUE(shown);
  ExpectStoppedButtons(*shown);
  EXPECT_EQ(form->DownChunks(), 32767);
  // The chunk that overflowed the count was taken but not written.
  EXPECT_EQ(std::filesystem::file_size(Target("big.bin")), 32767u * 1024u);
}

}  // namespace
}  // namespace larkspan::test
