// How the update check and the download end when the network or the server misbehaves: one
// row for each way in which the transfer code can see a fault, run against the update window
// and against the download window. Every row must end in its state within the (shortened)
// time-out and a margin: a bound on hanging, not a performance figure.
#include <chrono>
#include <optional>

#include "app/AppHarness.h"

namespace larkspan::test {
namespace {

constexpr auto kRowBound = std::chrono::seconds(2 + 3);
// Update information whose news fills the body to 48000 bytes.
const std::string kNewsStart = "2026#3.2#0101001#http://h/setup.exe#";
const std::string kBody = kNewsStart + std::string(48000 - kNewsStart.size(), 'n');
// What a Location of the rows leads to: another update text, another installer.
const std::string kElsewhere = "2026#9.9#0101009#http://h/other.exe#other";

// What the update window ends with: the result, the connecting text, or the error 300 display.
enum Shows { kResult, kConnecting, kServerError };

struct Fault {
  const char* name;
  std::optional<Reply> reply;  // none: nothing listens at the address
  Shows check;
  bool downloadCompletes;  // else it stops
  // The target then holds the body's first bytes, and the size shows; none: it keeps its own.
  std::optional<std::size_t> fileBytes = std::nullopt;
};

constexpr char kLength[] = "Content-Length: 48000\r\n";

// The body after `lengthLines`, of which at most `bodyBytes` go out before `end`.
Reply Served(const std::string& lengthLines, std::size_t bodyBytes = SIZE_MAX,
             Reply::End end = Reply::End::kClose) {
  Reply reply = Reply::Raw("HTTP/1.1 200 OK\r\n" + lengthLines, kBody);
  reply.bodyBytes = bodyBytes;
  reply.end = end;
  return reply;
}

// The body as an answer with a status and a Location that is not followed (a 304 has no body).
Reply Moved(int status, const std::string& location = "/elsewhere") {
  const bool body = status != 304;
  return Reply::Raw("HTTP/1.1 " + std::to_string(status) + " Moved\r\nLocation: " + location +
                        "\r\n" + (body ? kLength : "Content-Length: 0\r\n"),
                    body ? kBody : "");
}

std::vector<Fault> Faults() {
  using enum Reply::End;
  const std::size_t whole = kBody.size();
  return {
      {"Refused", std::nullopt, kConnecting, false},
      {"NoAnswer", Reply{.end = kHold}, kConnecting, false},  // it never answers
      // The head's last line has no end: the headers break off.
      {"ResetDuringHeaders", Served(kLength + std::string("Content-Ty"), 0, kReset), kConnecting,
       false},
      {"ResetDuringBody", Served(kLength, 1500, kReset), kConnecting, false, 1024},
      // Whatever came before a pause is passed on at once: the size, the file emptied, the chunks.
      {"HeadThenPause", Served(kLength, 0, kHold), kConnecting, false, 0},
      {"PauseMidBody", Served(kLength, 40000, kHold), kConnecting, false, 39 * 1024},
      // The whole-text fetch would take "12abc" for 12; the download's strict reading refuses it.
      {"LengthWithLetters", Served("Content-Length: 12abc\r\n"), kConnecting, false},
      {"LengthBeyond32Bits", Served("Content-Length: 2147483648\r\n"), kConnecting, false},
      {"LengthWithBlanksAround", Served("Content-Length:  48000 \r\n"), kResult, true, whole},
      // A list of one value repeated is that value; lengths that disagree leave the body's end in
      // doubt, and neither window takes any of it.
      {"LengthList", Served("Content-Length: 48000, 48000\r\n"), kResult, true, whole},
      {"TwoDifferentLengths", Served(kLength + std::string("Content-Length: 1024\r\n")),
       kConnecting, false},
      {"ListOfDifferentLengths", Served("Content-Length: 48000,1024\r\n"), kConnecting, false},
      // Without a length the text ends at the close; the download needs the length.
      {"NoLength", Served(""), kResult, false},
      {"Status300WithLocation", Moved(300), kResult, true, whole},
      {"Status304WithLocation", Moved(304), kServerError, true, 0},
      {"Status305WithLocation", Moved(305), kResult, true, whole},
      {"EmptyLocation", Moved(302, ""), kResult, true, whole},
      {"RedirectLoop", Reply::Text("", 302, "Location: /fault\r\n"), kConnecting, false},
  };
}

const auto RowName = [](const auto& row) { return std::string(row.param.name); };

std::string FaultUrl(HttpFixture& http, const Fault& fault) {
  if (!fault.reply) return HttpFixture::RefusedUrl() + "fault";
  http.Serve("/fault", *fault.reply);
  http.Serve("/elsewhere", Reply::Text(kElsewhere));
  return http.Url("/fault");
}

class CheckFaults : public AppTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(CheckFaults, EndInTheirDisplayWithinTheTimeOut) {
  const Fault& fault = GetParam();
  HeadlessWindow& window = StartAgainstServer(FaultUrl(http, fault));
  const auto start = std::chrono::steady_clock::now();
  backend.Advance(200);
  EXPECT_LT(std::chrono::steady_clock::now() - start, kRowBound);
  const std::pair<std::string, std::string> displays[] = {
      {"<1099>\r\nVantrel2026 <24> 3.2 <1284> 0101001", kBody.substr(kNewsStart.size())},
      {"<1157 Acme> ...", ""},
      {"(<334> 300)", "(<334> 300)\r\n<1159 Acme Acme>\r\n<1160>"}};
  EXPECT_EQ(ToUtf8(window.Control("StatusL").caption), displays[fault.check].first);
  EXPECT_EQ(ToUtf8(window.Control("NewsT").caption), displays[fault.check].second);
  EXPECT_TRUE(backend.messages.empty());  // a failed fetch says no word
  EXPECT_EQ(window.topmostCalls, (std::vector<bool>{true, true}));
}

INSTANTIATE_TEST_SUITE_P(Matrix, CheckFaults, ::testing::ValuesIn(Faults()), RowName);

class DownloadFaults : public DownloadTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(DownloadFaults, EndStoppedOrCompleteWithOnlyTheTargetTouched) {
  const Fault& fault = GetParam();
  const std::string previous(50000, 'p');  // longer than any body: no old byte may stay
  std::ofstream(Target()) << previous;
  Globals().DownloadURL = FromUtf8(FaultUrl(http, fault));
  backend.saveAnswers = {Target().u16string()};
  backend.msgAnswers = {MsgBoxResult::kYes};  // replace it
  const auto start = std::chrono::steady_clock::now();
  RunThenClose([&] {
    ExpectEnded(fault.downloadCompletes);
    // A failure leaves every display as it was: the size, the chunks' figures, and no rate tick.
    EXPECT_EQ(Text("lblFileSizeVal").empty(), !fault.fileBytes);
    EXPECT_EQ(Chunks(), (fault.fileBytes.value_or(0) + 1023) / 1024);
    EXPECT_EQ(Text("lblDownVal").empty(), Chunks() == 0);
    EXPECT_EQ(Text("lblTransferRateVal"), fault.downloadCompletes ? "0  ( KB/Sec )" : "");
  });
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, kRowBound);
  ExpectPaced(backend.yields, took);
  const std::string file = ReadFile(Target());
  EXPECT_EQ(file.size(), fault.fileBytes.value_or(previous.size()));
  EXPECT_TRUE(file == (fault.fileBytes ? kBody.substr(0, *fault.fileBytes) : previous));
  EXPECT_EQ(backend.messages.size(), 1u);  // only the replace question
}

INSTANTIATE_TEST_SUITE_P(Matrix, DownloadFaults, ::testing::ValuesIn(Faults()), RowName);

}  // namespace
}  // namespace larkspan::test
