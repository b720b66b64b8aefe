// How the update check and the download end when the network or the server misbehaves: one
// row per fault, run against the update window and against the download window. Every row
// must end in its defined display or state within the (shortened) time-out plus a margin.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <stdexcept>
#include <thread>

#include "windows/WindowTestHarness.h"

namespace larkspan::test {
namespace {

constexpr int kTimeoutSeconds = 2;
// A bound on hanging, not a performance figure: the slowest row waits one time-out.
constexpr auto kRowBound = std::chrono::seconds(kTimeoutSeconds + 3);
constexpr std::size_t kMiB = 1u << 20;

// Update information whose news fills the body up to `size` bytes: a valid text, so that a
// response taken for complete shows as the result display.
std::string UpdateBody(std::size_t size, char fill = 'n') {
  std::string body = "2026#3.2#0101001#http://h/setup.exe#";
  body.resize(std::max(size, body.size() + 1), fill);
  return body;
}

// Answers its one connection with `bytes`, gives the client time to read them, then resets
// the connection (RST): the resets in the middle of a header block or of a body, which the
// fixture cannot script.
class ResettingServer {
 public:
  explicit ResettingServer(std::string bytes) : bytes_(std::move(bytes)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* raw = reinterpret_cast<sockaddr*>(&address);
    if (bind(fd_, raw, sizeof address) != 0 || listen(fd_, 8) != 0 ||
        getsockname(fd_, raw, &length) != 0) {
      throw std::runtime_error("ResettingServer: cannot listen");
    }
    url_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/f";
    thread_ = std::thread([this] { Serve(); });
  }
  ~ResettingServer() {
    shutdown(fd_, SHUT_RDWR);  // wakes the accept when nobody came
    thread_.join();
    close(fd_);
  }
  std::string Url() const { return url_; }

 private:
  void Serve() {
    const int client = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    std::string request;
    char buffer[4096];
    for (ssize_t n; request.find("\r\n\r\n") == std::string::npos &&
                    (n = recv(client, buffer, sizeof buffer, 0)) > 0;) {
      request.append(buffer, static_cast<std::size_t>(n));
    }
    send(client, bytes_.data(), bytes_.size(), MSG_NOSIGNAL);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    linger hard{1, 0};
    setsockopt(client, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    close(client);
  }

  std::string bytes_, url_;
  int fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  std::thread thread_;
};

// Where a row's fault is served from.
struct Servers {
  HttpFixture& http;
  std::vector<std::unique_ptr<ResettingServer>> resetting;
};
using Address = std::function<std::string(Servers&, const std::string& body)>;

Address Served(std::function<void(HttpResponse&)> change) {
  return [change](Servers& s, const std::string& body) {
    HttpResponse response = HttpResponse::Text(body);
    change(response);
    s.http.Serve("/fault", response);
    return s.http.Url("/fault");
  };
}
Address Fixed(std::string address) {
  return [address](Servers&, const std::string&) { return address; };
}
Address Resetting(std::string head, std::size_t bodyBytes = 0) {
  return [head, bodyBytes](Servers& s, const std::string& body) {
    s.resetting.push_back(std::make_unique<ResettingServer>(head + body.substr(0, bodyBytes)));
    return s.resetting.back()->Url();
  };
}
Address Length(std::string value) {
  return Served([value](HttpResponse& r) { r.rawContentLength = value; });
}

enum class CheckEnd { kConnectingKept, kError300, kResult };
// kUntouched: the target that existed before keeps its bytes; otherwise the target holds the
// first `fileBytes` bytes of the body (kNotRun: a row of the check only).
enum class DownEnd { kNotRun, kStopped, kComplete };
constexpr std::size_t kUntouched = SIZE_MAX;
using NewsCheck = std::function<bool(const std::u16string&)>;

struct Fault {
  const char* name;
  Address address;
  std::string body;
  CheckEnd check;
  DownEnd down;
  std::size_t fileBytes = kUntouched;
  NewsCheck news = {};  // kResult: the news is as expected
};

void PrintTo(const Fault& fault, std::ostream* out) {
  *out << fault.name;
}

NewsCheck NewsIs(std::u16string expected) {
  return [expected](const std::u16string& news) { return news == expected; };
}

std::vector<Fault> Faults() {
  using enum CheckEnd;
  using enum DownEnd;
  const std::string body = UpdateBody(3000);
  const NewsCheck bodyNews = NewsIs(FromUtf8(body.substr(36)));
  std::mt19937 random(7);
  std::string garbage(4096, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  std::erase(garbage, '#');  // no field at all: five empty fields
  const Address text = Served([](HttpResponse&) {});
  const std::string head3000 = "HTTP/1.1 200 OK\r\nContent-Length: 3000\r\n";
  return {
      {"RefusedPort", Fixed(RefusedUrl("/f")), body, kConnectingKept, kStopped},
      {"UnresolvableHost", Fixed("http://larkspan-fault.invalid/f"), body, kConnectingKept,
       kStopped},
      {"ResetBeforeHeaders", Served([](HttpResponse& r) { r.resetBeforeHeaders = true; }), body,
       kConnectingKept, kStopped},
      {"ResetDuringHeaders", Resetting(head3000 + "Content-Ty"), body, kConnectingKept, kStopped},
      {"ResetDuringBody", Resetting(head3000 + "\r\n", 1500), body, kConnectingKept, kStopped,
       1024},
      {"BodyShorterThanItsLength", Served([](HttpResponse& r) { r.sendBytes = 2500; }), body,
       kConnectingKept, kStopped, 2048},
      {"HeadersThenSilence", Served([](HttpResponse& r) { r.stallAfterHeaders = true; }), body,
       kConnectingKept, kStopped, 0},
      {"BodyThenSilence", Served([](HttpResponse& r) {
         r.sendBytes = 1500;
         r.stallAfterSend = true;
       }),
       body, kConnectingKept, kStopped, 1024},
      {"SilenceFromTheStart", Served([](HttpResponse& r) { r.silent = true; }), body,
       kConnectingKept, kStopped},
      // Lengths: libcurl refuses "-1" itself; the control refuses "12abc" for the whole-text
      // fetch (libcurl would cut the body after 12 bytes) and hands it over as sent to the
      // download, whose strict conversion refuses it; blanks around a number are allowed.
      {"LengthMinusOne", Length("-1"), body, kConnectingKept, kStopped},
      {"LengthBeyond32Bits", Length("2147483648"), body, kConnectingKept, kStopped},
      {"LengthWithLetters", Length("12abc"), body, kConnectingKept, kStopped},
      {"LengthWithBlanksAround", Length(" 1024 "), UpdateBody(1024), kResult, kComplete, 1024,
       NewsIs(FromUtf8(UpdateBody(1024).substr(36)))},
      // Two lengths that disagree leave the body's end in doubt: the control refuses the
      // response, so neither window takes any part of it.
      {"TwoDifferentLengths", Served([](HttpResponse& r) {
         r.headers.push_back({"Content-Length", "1024"});
         r.headers.push_back({"Content-Length", std::to_string(r.body.size())});
       }),
       body, kConnectingKept, kStopped},
      // Without a length the text ends at the close; the download needs the length.
      {"NoLength", Served([](HttpResponse& r) { r.omitContentLength = true; }), body, kResult,
       kStopped, kUntouched, bodyNews},
      {"ChunkedWithoutLength", Served([](HttpResponse& r) { r.chunked = true; }), body, kResult,
       kStopped, kUntouched, bodyNews},
      {"RedirectLoop",
       [](Servers& s, const std::string&) {
         s.http.Serve("/loop", HttpResponse::Redirect("/loop"));
         return s.http.Url("/loop");
       },
       body, kConnectingKept, kStopped},
      {"TenMiBOfHeaders", Served([](HttpResponse& r) {
         for (int i = 0; i < 160; ++i) {
           r.headers.push_back({"X-Filler-" + std::to_string(i), std::string(64 * 1024, 'h')});
         }
       }),
       body, kConnectingKept, kStopped},
      // The update information itself: large, garbled, with bytes that are not text.
      {"TenMiBUpdateInformation", text, UpdateBody(10 * kMiB, 'w'), kResult, kNotRun, kUntouched,
       NewsIs(std::u16string(10 * kMiB - 36, u'w'))},
      {"TenMiBWithoutFields", text, std::string(10 * kMiB, 'x'), kError300, kNotRun},
      {"BinaryGarbage", text, garbage, kError300, kNotRun},
      {"InvalidUtf8", text, "2026#3.2#0101001#http://h/setup.exe#a\xC3(b\xFF\xFE\xED\xA0\x80z",
       kResult, kNotRun, kUntouched,
       // Each byte that is no text reads as U+FFFD; the text around them stays.
       [](const std::u16string& news) {
         return news.starts_with(u"a\uFFFD(b\uFFFD\uFFFD\uFFFD") && news.ends_with(u"\uFFFDz") &&
                news.find_first_not_of(u"\uFFFD", 6) == news.size() - 1;
       }},
      {"NulBytes", text, std::string("2026#3.2#0101001#http://h/setup.exe#a\0b<Crlf>\0", 46),
       kResult, kNotRun, kUntouched, NewsIs(std::u16string(u"a\0b\r\n\0", 6))},
      {"OnlyNulBytes", text, std::string(64, '\0'), kError300, kNotRun},
  };
}

std::string RowName(const ::testing::TestParamInfo<Fault>& info) {
  return info.param.name;
}

template <class Run>
auto Timed(Run&& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::steady_clock::now() - start;
}

class CheckFaults : public UpdateWindowTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(CheckFaults, EndInTheirDisplayWithinTheTimeOut) {
  const Fault& fault = GetParam();
  HttpFixture http;
  Servers servers{http, {}};
  Globals().transferSettings.requestTimeoutSeconds = kTimeoutSeconds;
  HeadlessWindow& window = Start(u"x*3.1*0101000*" + FromUtf8(fault.address(servers, fault.body)));
  Globals().probeAddresses = {FromUtf8(http.Url("/"))};
  Globals().CompanyURL = FromUtf8(http.Url("/"));

  EXPECT_LT(Timed([&] { backend.Advance(200); }), kRowBound);

  const std::u16string status = window.LabelNamed("StatusL").caption;
  const std::u16string news = window.TextBoxNamed("NewsT").text;
  switch (fault.check) {
    case CheckEnd::kConnectingKept:
      EXPECT_EQ(Narrow(status), "<1157 Quillmere> ...");
      EXPECT_EQ(news, u"");
      break;
    case CheckEnd::kError300:
      EXPECT_EQ(Narrow(status), "(<334> 300)");
      break;
    case CheckEnd::kResult:
      EXPECT_EQ(Narrow(status.substr(0, 8)), "<1099>\r\n");
      EXPECT_TRUE(fault.news(news)) << news.size() << " units: " << Narrow(news.substr(0, 40));
      EXPECT_EQ(Narrow(Globals().DownloadURL), "http://h/setup.exe");
      break;
  }
  EXPECT_EQ(window.ButtonNamed("DownloadCB").visible, fault.check == CheckEnd::kResult);
  EXPECT_TRUE(backend.messages.empty());  // neither a transfer nor a field says a word here
  EXPECT_EQ(window.topmostCalls, (std::vector<bool>{true, true}));
}

INSTANTIATE_TEST_SUITE_P(Matrix, CheckFaults, ::testing::ValuesIn(Faults()), RowName);

class DownloadFaults : public DownFormTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(DownloadFaults, EndStoppedOrCompleteWithOnlyTheTargetTouched) {
  const Fault& fault = GetParam();
  Servers servers{http, {}};
  const std::string target = folder + "/setup.exe";
  std::ofstream(target) << "previous installer";
  Globals().DownloadURL = FromUtf8(fault.address(servers, fault.body));
  Globals().transferSettings.requestTimeoutSeconds = kTimeoutSeconds;
  backend.saveAnswers = {FromUtf8(target)};
  backend.msgAnswers = {MsgBoxResult::kYes};  // replace it

  EXPECT_LT(Timed([&] {
              RunThenClose([&] {
                if (fault.down == DownEnd::kStopped) ExpectStopped();
                EXPECT_EQ(form->DownCompleted(), fault.down == DownEnd::kComplete);
              });
            }),
            kRowBound);

  EXPECT_EQ(ReadFile(target), fault.fileBytes == kUntouched
                                  ? "previous installer"
                                  : fault.body.substr(0, fault.fileBytes));
  std::vector<std::filesystem::path> entries;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) entries.push_back(entry);
  EXPECT_EQ(entries, std::vector<std::filesystem::path>{target});
  EXPECT_EQ(backend.messages.size(), 1u);  // only the replace question
}

std::vector<Fault> DownloadRows() {
  std::vector<Fault> rows = Faults();
  std::erase_if(rows, [](const Fault& f) { return f.down == DownEnd::kNotRun; });
  return rows;
}

INSTANTIATE_TEST_SUITE_P(Matrix, DownloadFaults, ::testing::ValuesIn(DownloadRows()), RowName);

}  // namespace
}  // namespace larkspan::test
