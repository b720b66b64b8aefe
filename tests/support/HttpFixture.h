#pragma once
// A local HTTP server for tests: 127.0.0.1 on an ephemeral port, served from its own threads
// in the test process. Every path answers with the bytes its Reply gives, sent as they stand:
// a malformed response is a Reply with a malformed head. One request per connection.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace larkspan::test {

struct Reply {
  enum class End { kClose, kHold, kReset };

  std::string head{};      // status line and header lines with their CR LF, then the empty line
  std::string body{};      // sent `repeat` times after the head
  std::size_t repeat = 1;  // large bodies without the memory
  std::size_t bodyBytes = SIZE_MAX;  // at most this many body bytes go out, then `end`
  int bytesPerSecond = 0;            // pacing of the body (0: as fast as it goes)
  int headAfterMs = 0;               // the head goes out this long after the request
  End end = End::kClose;  // after the last byte: close, hold the connection open, or reset it

  // 200 (or `status`) with Content-Length of the whole body, "Connection: close" and
  // `extraHeaders` ("Name: v\r\n").
  static Reply Text(std::string body, int status = 200, const std::string& extraHeaders = "");
  // The head as given (its empty line added), the body after it.
  static Reply Raw(const std::string& headLines, std::string body = "");
};

struct Request {
  std::string method, target;
  std::string head;  // the request's header lines as received
};

class HttpFixture {
 public:
  HttpFixture();
  ~HttpFixture();  // stops at once, whatever replies are still running
  HttpFixture(const HttpFixture&) = delete;
  HttpFixture& operator=(const HttpFixture&) = delete;

  // Answers requests for `path` (matched without the query); unknown paths get 404.
  void Serve(const std::string& path, Reply reply);
  // Answers `reply` instead to the requests for `path` whose head holds `line` ("Name: value").
  void ServeTo(const std::string& line, const std::string& path, Reply reply);
  std::string Url(const std::string& path) const;  // "http://127.0.0.1:<port><path>"
  int Port() const;
  std::vector<Request> Requests() const;
  // "http://127.0.0.1:<port>/" where nothing listens: connecting is refused.
  static std::string RefusedUrl();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Bytes that differ from their neighbours: a lost, doubled or reordered piece shows.
std::string PatternBody(std::size_t size);

}  // namespace larkspan::test
