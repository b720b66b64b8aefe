// HTTPS through the curl back end, against a local TLS server whose authority is made for the
// run: only a certificate from the trusted authority, for the host asked for, lets the probe,
// the whole-text fetch and the download through. The others fail as any failed request does.
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "base/Failure.h"
#include "net/Inet.h"
#include "net/Probe.h"
#include "net/curl/CurlSession.h"
#include "os/CodePage.h"

namespace larkspan::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// `name`.key and `name`.pem in `dir`: a fresh key and a certificate made with `options`.
void MakeCertificate(const fs::path& dir, const std::string& name, const std::string& options) {
  const std::string command = "cd '" + dir.string() +
                              "' && openssl req -x509 -newkey ec -pkeyopt "
                              "ec_paramgen_curve:prime256v1 -nodes -days 1 -keyout " +
                              name + ".key -out " + name + ".pem " + options + " 2>/dev/null";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

// A TLS server on 127.0.0.1 with the certificate `name` from `dir`, answering `body`.
class TlsServer {
 public:
  TlsServer(const fs::path& dir, const std::string& name, const std::string& body)
      : server_((dir / (name + ".pem")).c_str(), (dir / (name + ".key")).c_str()) {
    server_.Get("/", [body](const httplib::Request&, httplib::Response& res) {
      res.set_content(body, "text/plain");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~TlsServer() {
    server_.stop();
    thread_.join();
  }
  std::u16string Url() const {
    return FromUtf8("https://127.0.0.1:" + std::to_string(port_) + "/");
  }

 private:
  httplib::SSLServer server_;
  int port_ = 0;
  std::thread thread_;
};

TEST(HttpsTest, OnlyTheTrustedAuthorityForThisHostGetsThrough) {
  const fs::path dir =
      fs::temp_directory_path() /
      ("larkspan-https-" + std::to_string(Clock::now().time_since_epoch().count()));
  fs::create_directories(dir);
  MakeCertificate(dir, "authority", "-subj /CN=Larkspan-test-authority");
  const std::string previous = SetTrustedAuthorityFile((dir / "authority.pem").string());
  const std::string thisHost = "-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 ";
  const std::string fromAuthority =
      "-CA authority.pem -CAkey authority.key -addext basicConstraints=CA:FALSE ";
  std::string body;  // text, so that the whole-text fetch gives it back unchanged
  for (int i = 0; i < 30000; ++i) body += std::to_string(i) + '*';

  struct Case {
    std::string certificate, options;
    bool getsThrough;
  };
  for (const Case& c : {
           Case{"trusted", thisHost + fromAuthority, true},
           Case{"self-signed", thisHost, false},
           Case{"other-host",
                "-subj /CN=x.invalid -addext subjectAltName=DNS:x.invalid " + fromAuthority, false},
       }) {
    SCOPED_TRACE(c.certificate);
    MakeCertificate(dir, c.certificate, c.options);
    TlsServer server(dir, c.certificate, body);
    EXPECT_EQ(IsUrlOnline(server.Url()), c.getsThrough);
    Inet inet{InetSettings{80, 5}};
    inet.Execute(server.Url(), u"GET");
    if (c.getsThrough) {
      EXPECT_EQ(inet.OpenURL(server.Url()), FromUtf8(body));
      const std::vector<std::uint8_t> chunk = inet.GetChunk(static_cast<std::int32_t>(body.size()));
      EXPECT_EQ(std::string(chunk.begin(), chunk.end()), body);
    } else {
      EXPECT_THROW(inet.OpenURL(server.Url()), Failure);
      EXPECT_THROW(inet.GetChunk(1), Failure);
    }
    // A failed request ends with no header, so the download takes its stopped path.
    EXPECT_FALSE(inet.StillExecuting());
    EXPECT_EQ(inet.GetHeader(u"Content-Length"),
              c.getsThrough ? FromUtf8(std::to_string(body.size())) : u"");
  }

  // Without the setting the authority is a stranger again: the system's checks stay on.
  SetTrustedAuthorityFile(previous);
  EXPECT_FALSE(IsUrlOnline(TlsServer(dir, "trusted", body).Url()));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace larkspan::test
