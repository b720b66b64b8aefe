// A demo update server for Larkspan on 127.0.0.1: the product and maker site roots, an
// update-information text, an installer, and the two promotion addresses. Scenarios make it
// misbehave the ways real servers do, so each display of the updater can be watched.
#include <httplib.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

#include "DemoInstaller.h"
#include "Deployment.h"

namespace {

using larkspan::demo::FillInstallerBytes;

struct Options {
  int port = larkspan::deployment::kDemoPort;
  long long rate = 0;  // bytes per second, 0 = unlimited
  std::string scenario = "newer-version";
  std::size_t installerSize = 3u << 20;
  std::string writeInstaller;
  std::string installerFile;  // its bytes are the installer, when given
  std::string updateFile;     // its bytes are the update information, when given
  std::string installerBytes;
  std::string installerPath = "VantrelSetup.exe";  // the installer address, after /vantrel/
};

constexpr const char* kScenarios[] = {
    "newer-version",     "newer-build",  "up-to-date", "html",     "empty-field",
    "no-content-length", "stalled-body", "short-body", "404-page",
};

std::atomic<bool> stopping{false};

void PrintHelp() {
  std::printf(
      "larkspan-demo-server: a local update server for trying Larkspan.\n\n"
      "usage: larkspan-demo-server [--port N] [--rate BYTES_PER_SECOND] [--scenario NAME]\n"
      "                            [--installer-size BYTES] [--write-installer FILE]\n"
      "                            [--installer-file FILE] [--installer-path PATH]\n"
      "                            [--update-file FILE]\n\n"
      "  --port N              port on 127.0.0.1 (default %d)\n"
      "  --rate N              send the installer at N bytes per second (default: unlimited)\n"
      "  --installer-size N    size of the installer in bytes (default 3145728)\n"
      "  --write-installer F   write the installer's bytes to F and exit\n"
      "  --installer-file F    serve the bytes of F as the installer\n"
      "  --update-file F       serve the bytes of F as the update information (a release that\n"
      "                        larkspan-publish made, signed or not), whatever the scenario\n"
      "  --installer-path P    announce the installer at /vantrel/P, such as x/..\\evil.exe;\n"
      "                        every address that is not one of the others then serves it\n"
      "  --scenario NAME       what the server answers:\n"
      "      newer-version      a newer version is announced (default)\n"
      "      newer-build        the same version 3.1 with a newer build\n"
      "      up-to-date         version 3.1, build 0101000: nothing newer\n"
      "      html               an HTML page instead of the update information\n"
      "      empty-field        the update information has a blank field\n"
      "      no-content-length  the installer is sent without a Content-Length\n"
      "      stalled-body       the installer stops arriving half way\n"
      "      short-body         the installer ends before its Content-Length\n"
      "      404-page           the installer address answers 404 with a page\n\n"
      "Addresses: /  /vantrel/update.txt  /vantrel/VantrelSetup.exe  /ostrafel.html\n"
      "           /ostrafel_setup.exe\n"
      "Try it:  larkspan \"x*3.1*0101000*http://127.0.0.1:%d/vantrel/update.txt\"\n",
      larkspan::deployment::kDemoPort, larkspan::deployment::kDemoPort);
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    const char* v = nullptr;
    if (a == "--help" || a == "-h") {
      PrintHelp();
      std::exit(0);
    } else if (a == "--port" && (v = next())) {
      o.port = std::atoi(v);
    } else if (a == "--rate" && (v = next())) {
      o.rate = std::atoll(v);
    } else if (a == "--installer-size" && (v = next())) {
      o.installerSize = static_cast<std::size_t>(std::atoll(v));
    } else if (a == "--scenario" && (v = next())) {
      o.scenario = v;
    } else if (a == "--installer-file" && (v = next())) {
      o.installerFile = v;
    } else if (a == "--update-file" && (v = next())) {
      o.updateFile = v;
    } else if (a == "--installer-path" && (v = next())) {
      o.installerPath = v;
    } else if (a == "--write-installer" && (v = next())) {
      o.writeInstaller = v;
    } else {
      std::fprintf(stderr, "larkspan-demo-server: unknown or incomplete option %s (see --help)\n",
                   a.c_str());
      return false;
    }
  }
  if (std::find_if(std::begin(kScenarios), std::end(kScenarios),
                   [&](const char* s) { return o.scenario == s; }) == std::end(kScenarios)) {
    std::fprintf(stderr, "larkspan-demo-server: unknown scenario %s (see --help)\n",
                 o.scenario.c_str());
    return false;
  }
  return o.port > 0 && o.port < 65536;
}

std::string UpdateText(const Options& o, const std::string& base) {
  const std::string installer = base + "vantrel/" + o.installerPath;
  const std::string news =
      "Vantrel 2026 brings faster scanning of large folders.<Crlf>"
      "<Crlf>- A new dark theme<Crlf>- Quicker start-up<Crlf>- Many small fixes";
  if (o.scenario == "newer-build") return "2026#3.1#0101001#" + installer + "#" + news;
  if (o.scenario == "up-to-date") return "2026#3.1#0101000#" + installer + "#" + news;
  if (o.scenario == "html") return "<HEAD><title>Sign in to the network</title></HEAD><body/>";
  if (o.scenario == "empty-field") return "2026#3.2# #" + installer + "#" + news;
  return "2026#3.2#0201000#" + installer + "#" + news;
}

// Holds one response's body to the chosen rate. Each piece is due when the bytes before it are
// due at that rate, so the time taken to make and write a piece does not slow the rate down.
// When a piece could only be written after its end was due (a slow reader), no burst makes up
// for it: the schedule starts again from then.
class Pacer {
 public:
  explicit Pacer(long long rate) : rate_(rate), due_(Clock::now()) {}

  // Waits until `bytes` more may go; returns false when the server stops.
  bool Sent(std::size_t bytes) {
    if (rate_ <= 0) return !stopping;
    const Clock::duration piece =
        std::chrono::microseconds(static_cast<long long>(bytes) * 1000000 / rate_);
    const Clock::time_point now = Clock::now();
    due_ = due_ + piece < now ? now : due_ + piece;
    std::this_thread::sleep_until(due_);
    return !stopping;
  }

 private:
  using Clock = std::chrono::steady_clock;
  const long long rate_;
  Clock::time_point due_;
};

bool StallUntilStopped() {
  while (!stopping) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return false;
}

// The installer's bytes from `offset` on: the given file's, or the made-up sequence.
void InstallerPiece(const Options& o, std::size_t offset, char* out, std::size_t count) {
  if (o.installerFile.empty()) return FillInstallerBytes(offset, out, count);
  std::memcpy(out, o.installerBytes.data() + offset, count);
}

void ServeInstaller(const Options& o, httplib::Response& res) {
  if (o.scenario == "404-page") {
    res.status = 404;
    res.set_content("<html><body><h1>404 Not Found</h1></body></html>", "text/html");
    return;
  }
  const std::size_t size = o.installerSize;
  const std::size_t piece = o.rate > 0 ? std::max<std::size_t>(1024, o.rate / 20) : 65536;
  auto pacer = std::make_shared<Pacer>(o.rate);
  if (o.scenario == "no-content-length") {
    res.set_chunked_content_provider(
        "application/octet-stream",
        [&o, size, piece, pacer](std::size_t offset, httplib::DataSink& sink) {
          if (offset >= size) {
            sink.done();
            return true;
          }
          std::string bytes(std::min(piece, size - offset), '\0');
          InstallerPiece(o, offset, bytes.data(), bytes.size());
          return sink.write(bytes.data(), bytes.size()) && pacer->Sent(bytes.size());
        });
    return;
  }
  res.set_content_provider(
      size, "application/octet-stream",
      [&o, size, piece, pacer](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        // Half way through, the broken scenarios stop sending: one stays silent, one hangs up.
        if (offset >= size / 2 && o.scenario == "stalled-body") return StallUntilStopped();
        if (offset >= size / 2 && o.scenario == "short-body") return false;
        std::string bytes(std::min(piece, length), '\0');
        InstallerPiece(o, offset, bytes.data(), bytes.size());
        return sink.write(bytes.data(), bytes.size()) && pacer->Sent(bytes.size());
      });
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) return 2;
  if (!o.installerFile.empty()) {
    std::ifstream in(o.installerFile, std::ios::binary);
    o.installerBytes.assign(std::istreambuf_iterator<char>(in), {});
    if (!in.good() && !in.eof()) {
      std::fprintf(stderr, "larkspan-demo-server: cannot read %s\n", o.installerFile.c_str());
      return 1;
    }
    o.installerSize = o.installerBytes.size();
  }
  if (!o.writeInstaller.empty()) {
    std::ofstream out(o.writeInstaller, std::ios::binary);
    std::string bytes = larkspan::demo::InstallerBytes(0, o.installerSize);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out ? 0 : 1;
  }

  // SIGINT and SIGTERM stop the server from a thread of its own (stop() is not signal-safe).
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  httplib::Server server;
  const std::string base = "http://127.0.0.1:" + std::to_string(o.port) + "/";
  server.Get("/", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<html><body><h1>Quillmere</h1><p>Vantrel and Ostrafel.</p></body></html>",
                    "text/html");
  });
  server.Get("/vantrel/update.txt", [&](const httplib::Request&, httplib::Response& res) {
    if (o.updateFile.empty()) return res.set_content(UpdateText(o, base), "text/plain");
    // Read at each request, so that a test may change it while the server runs.
    std::ifstream in(o.updateFile, std::ios::binary);
    res.set_content(std::string(std::istreambuf_iterator<char>(in), {}), "text/plain");
  });
  server.Get("/ostrafel.html", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<html><body><h1>Ostrafel</h1><p>Convert any video.</p></body></html>",
                    "text/html");
  });
  server.Get("/ostrafel_setup.exe", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(std::string(64 * 1024, 'O'), "application/octet-stream");
  });
  // A path of one's own choosing may reach the server in another spelling (a client may turn
  // "\" into "/" and resolve ".."): then the installer is whatever else is asked for.
  server.Get(o.installerPath == Options().installerPath ? "/vantrel/VantrelSetup.exe" : ".*",
             [&](const httplib::Request&, httplib::Response& res) { ServeInstaller(o, res); });
  server.set_logger([](const httplib::Request& req, const httplib::Response& res) {
    std::printf("%s %s -> %d\n", req.method.c_str(), req.path.c_str(), res.status);
    std::fflush(stdout);
  });

  std::thread stopper([&] {
    int signal = 0;
    sigwait(&signals, &signal);
    stopping = true;
    server.stop();
  });
  stopper.detach();

  // The usual rule for a server's address, not the library's own (a shared port): a server that
  // comes next on this port, this one again or another, can have it while a connection of this
  // one still closes.
  server.set_socket_options([](int socket) {
    const int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  if (!server.bind_to_port("127.0.0.1", o.port)) {
    std::fprintf(stderr, "larkspan-demo-server: cannot listen on 127.0.0.1:%d\n", o.port);
    return 1;
  }
  std::printf("larkspan-demo-server: %s (scenario %s) on %s\n", "listening", o.scenario.c_str(),
              base.c_str());
  std::fflush(stdout);
  server.listen_after_bind();
  stopping = true;
  return 0;
}
