// The probe, the whole-text fetch and the download against a real web server: nginx, which
// tests/servers/servers.sh runs for this test with the redirections of its locations.conf and
// https servers whose authority is made for the run. Once the system trusts that authority,
// only its certificate for the host asked for lets a request through. A 301, 302, 303, 307 or
// 308 with a Location is followed, at most ten in a row and never from https to http; every
// other answer is the final one, and its own body, with its own Content-Length, is what the
// caller gets. A request that fails gives nothing, so that the download takes its stopped path.
#ifdef _WIN32
#include <windows.h>
// after windows.h, which it needs
#include <wincrypt.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

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

// The run's authority (authority.pem and authority.der in `dir`), trusted while the object
// lives: by the Windows root store of the machine (Wine's prefix), or on Linux through the curl
// back end's setting for tests.
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
struct TrustedAuthority {
  explicit TrustedAuthority(const std::string& dir)
      : previous(SetTrustedAuthorityFile(dir + "/authority.pem")) {}
  ~TrustedAuthority() { SetTrustedAuthorityFile(previous); }
  std::string previous;
};
#endif

// The run's folder as this program sees it (Wine's drive Z: is "/").
std::string Folder() {
  const char* folder = std::getenv("LARKSPAN_SERVERS");
  if (folder == nullptr) throw std::runtime_error("LARKSPAN_SERVERS unset: run servers.sh");
#ifdef _WIN32
  return std::string("Z:") + folder;
#else
  return folder;
#endif
}

std::filesystem::path Site(const std::string& path) {
  return Folder() + "/www/" + path;
}

void Put(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(Site(path).parent_path());
  std::ofstream(Site(path), std::ios::binary) << bytes;
}

// What a caller got, in short: its size, its first bytes and a digest of them all.
std::string Shown(const std::optional<std::string>& bytes) {
  if (!bytes) return "nothing";
  return std::to_string(bytes->size()) + " bytes \"" + bytes->substr(0, 16) + "\"... #" +
         std::to_string(std::hash<std::string>{}(*bytes));
}

std::string Served(const std::string& path) {
  std::ifstream in(Site(path), std::ios::binary);
  return Shown(std::string{std::istreambuf_iterator<char>(in), {}});
}

// What a caller gets at `url`: the whole text as the check fetches it, or the body as the
// download window takes it, its Content-Length and then that many bytes in chunks of 1024.
std::string Got(const std::string& url, bool wholeText) {
  Inet inet{InetSettings{80, 10}};
  try {
    if (wholeText) return Shown(ToUtf8(inet.OpenURL(FromUtf8(url))));
    inet.Execute(FromUtf8(url), u"GET");
    while (inet.StillExecuting(std::chrono::milliseconds(100))) continue;
    std::string body;
    std::vector<std::uint8_t> chunk;
    for (long left = std::stol(ToUtf8(inet.GetHeader(u"Content-Length"))); left > 0; left -= 1024) {
      inet.GetChunk(chunk, static_cast<std::int32_t>(left > 1024 ? 1024 : left));
      body.append(chunk.begin(), chunk.end());
    }
    return Shown(body);
  } catch (const std::exception&) {  // a failure, or no number for a length
    return Shown(std::nullopt);
  }
}

TEST(RealServerTest, RedirectionsOfEveryStatusOverHttpAndHttpsWithOnlyTheTrustedCertificate) {
  const TrustedAuthority authority(Folder());
  Put("vantrel/update.txt", "2026#3.2#0201000#http://127.0.0.1/VantrelSetup.exe#news");
  Put("vantrel/VantrelSetup.exe", "MZ" + PatternBody(200000));
  for (const std::string answer : {"300", "304", "305", "302-empty"}) {
    const bool body = answer != "304";  // a 304 has none
    Put("answers/" + answer + "/vantrel/update.txt", body ? "the " + answer + " answer" : "");
    Put("answers/" + answer + "/vantrel/VantrelSetup.exe", body ? answer + PatternBody(2000) : "");
  }

  std::string http, https, selfSigned, otherHost;
  std::ifstream(Folder() + "/addresses") >> http >> https >> selfSigned >> otherHost;
  const std::string ten = "301/302/303/307/308/301/302/303/307/308/";
  // The address in front of the paths asked for, and the final answer whose bodies come back
  // ("": the files themselves; nullptr: nothing comes back).
  // clang-format off
  const std::pair<std::string, const char*> rows[] = {
      {http, ""}, {http + "301/", ""}, {http + "302/", ""}, {http + "303/", ""}, {http + "307/", ""},
      {http + "308/", ""}, {http + ten, ""}, {http + "301/" + ten, nullptr}, {http + "300/", "300"},
      {http + "304/", "304"}, {http + "305/", "305"}, {http + "302-empty/", "302-empty"},
      {https, ""}, {https + "302/", nullptr}, {https + "300/", "300"},
      {https + "302-empty/", "302-empty"}, {selfSigned, nullptr}, {otherHost, nullptr}};
  // clang-format on
  for (const auto& [address, answer] : rows) {
    SCOPED_TRACE(address);
    const auto served = [&](const std::string& path) {
      if (answer == nullptr) return Shown(std::nullopt);
      return Served(*answer ? "answers/" + std::string(answer) + "/" + path : path);
    };
#ifndef _WIN32  // the Windows probe is WinINet's own
    EXPECT_EQ(IsUrlOnline(FromUtf8(address + "vantrel/update.txt")), answer != nullptr);
#endif
    EXPECT_EQ(Got(address + "vantrel/update.txt", true), served("vantrel/update.txt"));
    EXPECT_EQ(Got(address + "vantrel/VantrelSetup.exe", false), served("vantrel/VantrelSetup.exe"));
  }
}

}  // namespace
}  // namespace larkspan::test
