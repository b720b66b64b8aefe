#pragma once
// A local HTTP server for tests: 127.0.0.1 on an ephemeral port, served from its own threads
// in the test process. Each path gets a scripted response, and the script can misbehave in
// every way a real server or network does: slow, stalled, cut short, lying about its length,
// chunked, redirecting in circles, resetting the connection. Every request is logged.
//
// The server speaks HTTP/1.1 over plain sockets (not a library server) because most of the
// misbehaviour needs control over each byte on the wire and over how the connection ends.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace larkspan::test {

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct HttpResponse {
  int status = 200;
  std::string reason;   // empty: the usual phrase for the status
  HttpHeaders headers;  // sent as given, in order (two "Content-Length" entries are allowed)
  std::string body;
  std::size_t repeat = 1;  // the body is sent this many times: large bodies without the memory

  // Content-Length is added from the body unless one of these applies, or unless the headers
  // already carry one.
  bool omitContentLength = false;               // no Content-Length: the body ends at close
  std::optional<std::string> rawContentLength;  // sent verbatim as the value ("abc", "9e99")
  bool chunked = false;                         // Transfer-Encoding: chunked, no length
  std::size_t chunkSize = 1000;

  std::size_t sendBytes = SIZE_MAX;  // body bytes sent, then the connection closes (cut short)
  bool stallAfterSend = false;       // after sendBytes: silence, connection held open
  int bytesPerSecond = 0;            // throttle the body (0: full speed)

  bool silent = false;              // read the request, answer nothing, hold the connection
  bool stallAfterHeaders = false;   // send the headers, then silence, connection held open
  bool resetBeforeHeaders = false;  // read the request, then reset the connection (RST)
  bool resetAfterHeaders = false;   // send the headers, then reset the connection

  static HttpResponse Text(std::string body, int status = 200);
  static HttpResponse Redirect(std::string location, int status = 302);
};

struct RecordedRequest {
  std::string method;
  std::string target;  // path and query as sent
  HttpHeaders headers;
  std::string Header(const std::string& name) const;  // case-insensitive; empty when absent
  bool HasHeader(const std::string& name) const;
};

class HttpFixture {
 public:
  HttpFixture();
  ~HttpFixture();  // stops at once, whatever responses are still running
  HttpFixture(const HttpFixture&) = delete;
  HttpFixture& operator=(const HttpFixture&) = delete;

  // Serves `path` (an exact target such as "/a?x=1", or a path, matched without its query);
  // unknown paths get 404.
  void Serve(const std::string& path, HttpResponse response);
  std::string Url(const std::string& path) const;  // "http://127.0.0.1:<port><path>"
  int Port() const { return port_; }

  std::vector<RecordedRequest> Requests() const;
  std::size_t RequestCount(const std::string& path) const;  // requests whose path matches
  std::size_t OpenConnections() const;                      // connections not yet closed

  // A port on 127.0.0.1 where nothing listens: connecting is refused.
  static int RefusedPort();

 private:
  struct Connection;
  void AcceptLoop();
  void HandleConnection(Connection* connection);
  bool Respond(Connection& connection, const RecordedRequest& request);
  bool SendAll(int fd, const char* data, std::size_t size, int bytesPerSecond);
  bool WaitStopped(int milliseconds);  // sleeps, but wakes and returns true on stop
  HttpResponse Lookup(const std::string& target) const;

  int listenFd_ = -1;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::condition_variable stopSignal_;
  bool stopping_ = false;
  std::map<std::string, HttpResponse> responses_;
  std::vector<RecordedRequest> requests_;
  std::vector<std::unique_ptr<Connection>> connections_;
  std::thread acceptThread_;
};

}  // namespace larkspan::test
