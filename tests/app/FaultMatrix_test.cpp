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
// Update information whose news fills the body to 3000 bytes.
const std::string kNewsStart = "2026#3.2#0101001#http://h/setup.exe#";
const std::string kBody = kNewsStart + std::string(3000 - kNewsStart.size(), 'n');

struct Fault {
  const char* name;
  std::optional<Reply> reply;  // none: nothing listens at the address
  bool checkShowsResult;       // else the connecting text stays
  bool downloadCompletes;      // else it stops
  std::size_t fileBytes = 0;   // the target holds the body's first bytes; 0: it keeps its own
};

constexpr char kLength[] = "Content-Length: 3000\r\n";

// The body after `lengthLines`, of which at most `bodyBytes` go out before `end`.
Reply Served(const std::string& lengthLines, std::size_t bodyBytes = SIZE_MAX,
             Reply::End end = Reply::End::kClose) {
  Reply reply = Reply::Raw("HTTP/1.1 200 OK\r\n" + lengthLines, kBody);
  reply.bodyBytes = bodyBytes;
  reply.end = end;
  return reply;
}

std::vector<Fault> Faults() {
  using enum Reply::End;
  Reply mute;  // takes the connection and never answers
  mute.end = kHold;
  return {
      {"Refused", std::nullopt, false, false},
      {"NoAnswer", mute, false, false},
      // The head's last line has no end: the headers break off.
      {"ResetDuringHeaders", Served(kLength + std::string("Content-Ty"), 0, kReset), false, false},
      {"ResetDuringBody", Served(kLength, 1500, kReset), false, false, 1024},
      {"SilenceAfterPartOfTheBody", Served(kLength, 1500, kHold), false, false, 1024},
      // The whole-text fetch would take "12abc" for 12; the download's strict reading refuses it.
      {"LengthWithLetters", Served("Content-Length: 12abc\r\n"), false, false},
      {"LengthBeyond32Bits", Served("Content-Length: 2147483648\r\n"), false, false},
      {"LengthWithBlanksAround", Served("Content-Length:  3000 \r\n"), true, true, 3000},
      // Two lengths that disagree leave the body's end in doubt: neither window takes any of it.
      {"TwoDifferentLengths", Served(kLength + std::string("Content-Length: 1024\r\n")), false,
       false},
      // Without a length the text ends at the close; the download needs the length.
      {"NoLength", Served(""), true, false},
      {"RedirectLoop", Reply::Text("", 302, "Location: /fault\r\n"), false, false},
  };
}

std::string RowName(const ::testing::TestParamInfo<Fault>& row) {
  return row.param.name;
}

std::string FaultUrl(HttpFixture& http, const Fault& fault) {
  if (!fault.reply) return ToUtf8(RefusedUrl()) + "fault";
  http.Serve("/fault", *fault.reply);
  return http.Url("/fault");
}

class CheckFaults : public AppTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(CheckFaults, EndInTheirDisplayWithinTheTimeOut) {
  const Fault& fault = GetParam();
  HeadlessWindow& window = StartAgainstServer(FaultUrl(http, fault));
  const auto start = std::chrono::steady_clock::now();
  backend.Advance(200);
  EXPECT_LT(std::chrono::steady_clock::now() - start, kRowBound);
  const bool result = fault.checkShowsResult;
  EXPECT_EQ(ToUtf8(window.Control("StatusL").caption),
            result ? "<1099>\r\nVantrel2026 <24> 3.2 <1284> 0101001" : "<1157 Acme> ...");
  EXPECT_EQ(ToUtf8(window.Control("NewsT").caption), result ? kBody.substr(kNewsStart.size()) : "");
  EXPECT_TRUE(backend.messages.empty());  // a failed fetch says no word
  EXPECT_EQ(window.topmostCalls, (std::vector<bool>{true, true}));
}

INSTANTIATE_TEST_SUITE_P(Matrix, CheckFaults, ::testing::ValuesIn(Faults()), RowName);

class DownloadFaults : public DownloadTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(DownloadFaults, EndStoppedOrCompleteWithOnlyTheTargetTouched) {
  const Fault& fault = GetParam();
  const std::string previous(5000, 'p');  // longer than any body: no old byte may stay
  std::ofstream(Target()) << previous;
  Globals().DownloadURL = FromUtf8(FaultUrl(http, fault));
  backend.saveAnswers = {Target().u16string()};
  backend.msgAnswers = {MsgBoxResult::kYes};  // replace it
  const auto start = std::chrono::steady_clock::now();
  RunThenClose([&] { ExpectEnded(fault.downloadCompletes); });
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, kRowBound);
  // Every wait lets the events run every few milliseconds (a pass waits up to 5 ms), and never
  // spins through them: a spin makes about one pass a millisecond under Wine, many on Linux.
  EXPECT_LT(backend.yields,
            100 + std::chrono::duration_cast<std::chrono::milliseconds>(took).count() / 3);
  EXPECT_EQ(ReadFile(Target()), fault.fileBytes == 0 ? previous : kBody.substr(0, fault.fileBytes));
  EXPECT_EQ(backend.messages.size(), 1u);  // only the replace question
}

INSTANTIATE_TEST_SUITE_P(Matrix, DownloadFaults, ::testing::ValuesIn(Faults()), RowName);

}  // namespace
}  // namespace larkspan::test
