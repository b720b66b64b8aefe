// How the update check and the download end when the network or the server misbehaves: one
// row per fault, run against the update window and against the download window. Every row
// must end in its defined display or state within the (shortened) time-out plus a margin.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "windows/DownFormHarness.h"
#include "windows/UpdateWindowFixture.h"

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

// Answers every connection with `bytes`, gives the client time to read them, then resets the
// connection (RST): the resets in the middle of a header block or of a body, which the
// fixture cannot script.
class ResettingServer {
 public:
  explicit ResettingServer(std::string bytes) : bytes_(std::move(bytes)) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd_, 8) ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("ResettingServer: cannot listen");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ResettingServer() {
    stop_ = true;
    thread_.join();
    close(fd_);
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/f"; }

 private:
  void Serve() {
    while (!stop_) {
      pollfd watch{fd_, POLLIN, 0};
      if (poll(&watch, 1, 20) <= 0) continue;
      const int client = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
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
  }

  std::string bytes_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Where a row's fault is served from.
struct Servers {
  HttpFixture& http;
  std::vector<std::unique_ptr<ResettingServer>> resetting;

  std::string Serve(HttpResponse response) {
    http.Serve("/fault", std::move(response));
    return http.Url("/fault");
  }
  std::string Reset(std::string bytes) {
    resetting.push_back(std::make_unique<ResettingServer>(std::move(bytes)));
    return resetting.back()->Url();
  }
};

enum class CheckEnd { kConnectingKept, kError300, kResult };
// kUntouched: the target that existed before keeps its bytes; otherwise the target holds the
// first `fileBytes` bytes of the body (kNotRun: a row of the check only).
enum class DownEnd { kNotRun, kStopped, kComplete };
constexpr std::size_t kUntouched = SIZE_MAX;

struct Fault {
  const char* name;
  std::function<std::string(Servers&, const std::string& body)> address;
  std::string body;
  CheckEnd check;
  DownEnd down;
  std::size_t fileBytes = kUntouched;
  std::function<bool(const std::u16string&)> news = {};  // kResult: the news is as expected
};

void PrintTo(const Fault& fault, std::ostream* out) {
  *out << fault.name;
}

std::function<bool(const std::u16string&)> NewsIs(std::u16string expected) {
  return [expected](const std::u16string& news) { return news == expected; };
}

HttpResponse With(const std::string& body, void (*change)(HttpResponse&)) {
  HttpResponse response = HttpResponse::Text(body);
  change(response);
  return response;
}

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

std::vector<Fault> Faults() {
  const std::string body = UpdateBody(3000);
  const auto bodyNews = NewsIs(FromUtf8(body.substr(36)));
  std::string garbage = RandomBytes(4096, 7);
  std::erase(garbage, '#');  // no field at all: five empty fields
  auto served = [](void (*change)(HttpResponse&)) {
    return [change](Servers& s, const std::string& b) { return s.Serve(With(b, change)); };
  };
  auto text = [](Servers& s, const std::string& b) { return s.Serve(HttpResponse::Text(b)); };
  auto length = [](std::string value) {
    return [value](Servers& s, const std::string& b) {
      HttpResponse response = HttpResponse::Text(b);
      response.rawContentLength = value;
      return s.Serve(response);
    };
  };
  const std::u16string lf = u"\r\n";
  return {
      {"RefusedPort",
       [](Servers&, const std::string&) {
         return "http://127.0.0.1:" + std::to_string(HttpFixture::RefusedPort()) + "/f";
       },
       body, CheckEnd::kConnectingKept, DownEnd::kStopped},
      {"UnresolvableHost",
       [](Servers&, const std::string&) { return std::string("http://larkspan-fault.invalid/f"); },
       body, CheckEnd::kConnectingKept, DownEnd::kStopped},
      {"ResetBeforeHeaders", served([](HttpResponse& r) { r.resetBeforeHeaders = true; }), body,
       CheckEnd::kConnectingKept, DownEnd::kStopped},
      {"ResetDuringHeaders",
       [](Servers& s, const std::string&) {
         return s.Reset("HTTP/1.1 200 OK\r\nContent-Length: 3000\r\nContent-Ty");
       },
       body, CheckEnd::kConnectingKept, DownEnd::kStopped},
      {"ResetDuringBody",
       [](Servers& s, const std::string& b) {
         return s.Reset("HTTP/1.1 200 OK\r\nContent-Length: 3000\r\n\r\n" + b.substr(0, 1500));
       },
       body, CheckEnd::kConnectingKept, DownEnd::kStopped, 1024},
      {"BodyShorterThanItsLength", served([](HttpResponse& r) { r.sendBytes = 2500; }), body,
       CheckEnd::kConnectingKept, DownEnd::kStopped, 2048},
      {"HeadersThenSilence", served([](HttpResponse& r) { r.stallAfterHeaders = true; }), body,
       CheckEnd::kConnectingKept, DownEnd::kStopped, 0},
      {"BodyThenSilence", served([](HttpResponse& r) {
         r.sendBytes = 1500;
         r.stallAfterSend = true;
       }),
       body, CheckEnd::kConnectingKept, DownEnd::kStopped, 1024},
      {"SilenceFromTheStart", served([](HttpResponse& r) { r.silent = true; }), body,
       CheckEnd::kConnectingKept, DownEnd::kStopped},
      // Lengths: libcurl refuses "-1" itself; the control refuses "12abc" for the whole-text
      // fetch (libcurl would cut the body after 12 bytes) and hands it over as sent to the
      // download, whose strict conversion refuses it; blanks around a number are allowed.
      {"LengthMinusOne", length("-1"), body, CheckEnd::kConnectingKept, DownEnd::kStopped},
      {"LengthBeyond32Bits", length("2147483648"), body, CheckEnd::kConnectingKept,
       DownEnd::kStopped},
      {"LengthWithLetters", length("12abc"), body, CheckEnd::kConnectingKept, DownEnd::kStopped},
      {"LengthWithBlanksAround", length(" 1024 "), UpdateBody(1024), CheckEnd::kResult,
       DownEnd::kComplete, 1024, NewsIs(FromUtf8(UpdateBody(1024).substr(36)))},
      // Two lengths that disagree leave the body's end in doubt: the control refuses the
      // response, so neither window takes any part of it.
      {"TwoDifferentLengths",
       [](Servers& s, const std::string& b) {
         HttpResponse response = HttpResponse::Text(b);
         response.headers.push_back({"Content-Length", "1024"});
         response.headers.push_back({"Content-Length", std::to_string(b.size())});
         return s.Serve(response);
       },
       body, CheckEnd::kConnectingKept, DownEnd::kStopped},
      {"ChunkedWithoutLength", served([](HttpResponse& r) { r.chunked = true; }), body,
       CheckEnd::kResult, DownEnd::kStopped, kUntouched, bodyNews},
      {"RedirectLoop",
       [](Servers& s, const std::string&) {
         s.http.Serve("/loop", HttpResponse::Redirect("/loop"));
         return s.http.Url("/loop");
       },
       body, CheckEnd::kConnectingKept, DownEnd::kStopped},
      {"TenMiBOfHeaders", served([](HttpResponse& r) {
         for (int i = 0; i < 160; ++i) {
           r.headers.push_back({"X-Filler-" + std::to_string(i), std::string(64 * 1024, 'h')});
         }
       }),
       body, CheckEnd::kConnectingKept, DownEnd::kStopped},
      // The update information itself: large, garbled, with bytes that are not text.
      {"TenMiBUpdateInformation", text, UpdateBody(10 * kMiB, 'w'), CheckEnd::kResult,
       DownEnd::kNotRun, kUntouched, NewsIs(std::u16string(10 * kMiB - 36, u'w'))},
      {"TenMiBWithoutFields", text, std::string(10 * kMiB, 'x'), CheckEnd::kError300,
       DownEnd::kNotRun},
      {"BinaryGarbage", text, garbage, CheckEnd::kError300, DownEnd::kNotRun},
      {"InvalidUtf8", text, "2026#3.2#0101001#http://h/setup.exe#a\xC3(b\xFF\xFE\xED\xA0\x80z",
       CheckEnd::kResult, DownEnd::kNotRun, kUntouched,
       // Each byte that is no text reads as U+FFFD; the text around them stays.
       [](const std::u16string& news) {
         return news.starts_with(u"a\uFFFD(b\uFFFD\uFFFD\uFFFD") && news.ends_with(u"\uFFFDz") &&
                news.find_first_not_of(u"\uFFFD", 6) == news.size() - 1;
       }},
      {"NulBytes", text, std::string("2026#3.2#0101001#http://h/setup.exe#a\0b<Crlf>\0", 46),
       CheckEnd::kResult, DownEnd::kNotRun, kUntouched, NewsIs(std::u16string(u"a\0b\r\n\0", 6))},
      {"OnlyNulBytes", text, std::string(64, '\0'), CheckEnd::kError300, DownEnd::kNotRun},
  };
}

std::string RowName(const ::testing::TestParamInfo<Fault>& info) {
  return info.param.name;
}

template <class Run>
std::chrono::milliseconds Timed(Run&& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start);
}

// ------------------------------------------------------------------ the update check

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

// ------------------------------------------------------------------ the download

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
                if (fault.down == DownEnd::kStopped) {
                  ExpectStopped();
                } else {
                  EXPECT_TRUE(form->DownCompleted());
                }
              });
            }),
            kRowBound);

  const std::string expected =
      fault.fileBytes == kUntouched ? "previous installer" : fault.body.substr(0, fault.fileBytes);
  EXPECT_EQ(ReadFile(target), expected);
  std::vector<std::filesystem::path> entries;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    entries.push_back(entry.path());
  }
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
