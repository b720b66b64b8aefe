// HTTPS through the transfer control and the probe, on both platforms, against the TLS servers
// that tls-servers.sh runs for this test with an authority made for the run: once the system
// trusts that authority, only its certificate for the host asked for lets the probe, the
// whole-text fetch and the download through; the others fail as any failed request does. A
// redirect may stay on https; one to http fails like no answer, and nothing goes out over http.
#ifdef _WIN32
#include <windows.h>
// after windows.h, which it needs
#include <wincrypt.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "base/Failure.h"
#include "net/Inet.h"
#include "net/Probe.h"
#include "os/CodePage.h"
#include "support/HttpFixture.h"
#ifndef _WIN32
#include "net/curl/CurlSession.h"
#endif

namespace larkspan::test {
namespace {

std::string Required(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) throw std::runtime_error(std::string(name) + " unset: run tls-servers.sh");
  return value;
}

std::u16string Url(const char* server, const std::string& path) {
  return FromUtf8("https://127.0.0.1:" + Required(server) + path);
}

// The run's authority, trusted while the object lives: by the Windows root store of the
// machine (Wine's prefix), or on Linux through the curl back end's setting for tests.
#ifdef _WIN32
class TrustedAuthority {
 public:
  explicit TrustedAuthority(const std::string& dir) {
    std::ifstream in(dir + "/authority.der", std::ios::binary);
    const std::string der{std::istreambuf_iterator<char>(in), {}};
    store_ =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    if (der.empty() || store_ == nullptr ||
        !CertAddEncodedCertificateToStore(
            store_, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
            static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &added_) ||
        !CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr)) {  // Wine defers it
      throw std::runtime_error("the root store does not take the authority");
    }
  }
  ~TrustedAuthority() {  // the deletion, too, is written out only when committed
    CertDeleteCertificateFromStore(added_);
    CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
    CertCloseStore(store_, 0);
  }

 private:
  HCERTSTORE store_ = nullptr;
  PCCERT_CONTEXT added_ = nullptr;
};
#else
class TrustedAuthority {
 public:
  explicit TrustedAuthority(const std::string& dir)
      : previous_(SetTrustedAuthorityFile(dir + "/authority.pem")) {}
  ~TrustedAuthority() { SetTrustedAuthorityFile(previous_); }

 private:
  std::string previous_;
};
#endif

TEST(HttpsTest, OnlyTheTrustedAuthorityForThisHostGetsThroughAndNeverOnToHttp) {
#ifdef _WIN32
  const std::string dir = "Z:" + Required("LARKSPAN_TLS_DIR");  // Wine's drive for "/"
#else
  const std::string dir = Required("LARKSPAN_TLS_DIR");
#endif
  std::string body;  // text, so that the whole-text fetch gives it back unchanged
  for (int i = 0; i < 30000; ++i) body += std::to_string(i) + '*';
  HttpFixture plain;
  plain.Serve("/", Reply::Text(body));
  // Each file is the whole response that the servers send for its name.
  std::ofstream(dir + "/text", std::ios::binary)
      << "HTTP/1.0 200 OK\r\nContent-Length: " << body.size() << "\r\n\r\n"
      << body;
  std::ofstream(dir + "/to-https", std::ios::binary)
      << "HTTP/1.0 302 Found\r\nLocation: /text\r\nContent-Length: 0\r\n\r\n";
  // Every status that is followed, and a 300, which is not: its own body is the answer.
  const int toHttp[] = {301, 302, 303, 307, 308, 300};
  for (const int status : toHttp) {
    std::ofstream(dir + "/to-http-" + std::to_string(status), std::ios::binary)
        << "HTTP/1.0 " << status << " Moved\r\nLocation: " << plain.Url("/")
        << "\r\nContent-Length: 4\r\n\r\nmine";
  }
  {
    const TrustedAuthority authority(dir);
    for (const auto& [server, getsThrough] : {std::pair{"LARKSPAN_TLS_TRUSTED", true},
                                              {"LARKSPAN_TLS_SELF_SIGNED", false},
                                              {"LARKSPAN_TLS_OTHER_HOST", false}}) {
      SCOPED_TRACE(server);
      const std::u16string url = Url(server, "/text");
      EXPECT_EQ(IsUrlOnline(url), getsThrough);
      Inet inet{InetSettings{80, 5}};
      inet.Execute(url, u"GET");
      std::vector<std::uint8_t> chunk;
      if (getsThrough) {
        EXPECT_EQ(inet.OpenURL(url), FromUtf8(body));
        inet.GetChunk(chunk, static_cast<std::int32_t>(body.size()));
        EXPECT_EQ(std::string(chunk.begin(), chunk.end()), body);
      } else {
        EXPECT_THROW(inet.OpenURL(url), Failure);
        EXPECT_THROW(inet.GetChunk(chunk, 1), Failure);
      }
      // A failed request ends with no header, so that the download takes its stopped path.
      EXPECT_FALSE(inet.StillExecuting());
      EXPECT_EQ(inet.GetHeader(u"Content-Length"),
                getsThrough ? FromUtf8(std::to_string(body.size())) : u"");
    }
    Inet inet{InetSettings{80, 5}};
    EXPECT_EQ(inet.OpenURL(Url("LARKSPAN_TLS_TRUSTED", "/to-https")), FromUtf8(body));
    for (const int status : toHttp) {
      SCOPED_TRACE(status);
      const std::u16string url = Url("LARKSPAN_TLS_TRUSTED", "/to-http-" + std::to_string(status));
      const bool final = status == 300;
#ifndef _WIN32  // the Windows probe is WinINet's own
      EXPECT_EQ(IsUrlOnline(url), final);
#endif
      if (final) {
        EXPECT_EQ(inet.OpenURL(url), u"mine");
      } else {
        EXPECT_THROW(inet.OpenURL(url), Failure);
      }
      inet.Execute(url, u"GET");
      EXPECT_FALSE(inet.StillExecuting(std::chrono::seconds(3)));
      EXPECT_EQ(inet.GetHeader(u"Content-Length"), final ? u"4" : u"");
    }
    EXPECT_TRUE(plain.Requests().empty());
  }
}

}  // namespace
}  // namespace larkspan::test
