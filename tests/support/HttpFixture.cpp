#include "support/HttpFixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string_view>

namespace larkspan::test {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Trim(std::string_view s) {
  std::size_t begin = s.find_first_not_of(" \t");
  std::size_t end = s.find_last_not_of(" \t\r");
  return begin == std::string_view::npos ? std::string()
                                         : std::string(s.substr(begin, end - begin + 1));
}

std::string PathOf(const std::string& target) {
  return target.substr(0, target.find('?'));
}

const char* Reason(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 204:
      return "No Content";
    case 206:
      return "Partial Content";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 303:
      return "See Other";
    case 307:
      return "Temporary Redirect";
    case 308:
      return "Permanent Redirect";
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return "Status";
  }
}

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

int BoundPort(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  return ntohs(address.sin_port);
}

// Walks the body, repeated `repeat` times, in pieces of at most `pieceSize`, stopping after
// `limit` bytes or when `consume` returns false. Returns whether everything was consumed.
bool ForEachPiece(const HttpResponse& response, std::size_t limit, std::size_t pieceSize,
                  const std::function<bool(std::string_view)>& consume) {
  std::string_view body(response.body);
  std::size_t left = limit;
  for (std::size_t round = 0; round < response.repeat && left > 0 && !body.empty(); ++round) {
    for (std::size_t at = 0; at < body.size() && left > 0;) {
      std::size_t n = std::min({pieceSize, body.size() - at, left});
      if (!consume(body.substr(at, n))) return false;
      at += n;
      left -= n;
    }
  }
  return true;
}

// Tests talk to the fixture directly, even on a machine whose environment names a proxy.
void BypassProxiesForLoopback() {
  for (const char* name : {"no_proxy", "NO_PROXY"}) {
    const char* current = std::getenv(name);
    std::string value = current != nullptr ? current : "";
    if (value.find("127.0.0.1") != std::string::npos) continue;
    setenv(name, (value.empty() ? "" : value + ",").append("127.0.0.1,localhost").c_str(), 1);
  }
}

}  // namespace

HttpResponse HttpResponse::Text(std::string body, int status) {
  HttpResponse response;
  response.status = status;
  response.body = std::move(body);
  response.headers = {{"Content-Type", "text/plain"}};
  return response;
}

HttpResponse HttpResponse::Redirect(std::string location, int status) {
  HttpResponse response;
  response.status = status;
  response.headers = {{"Location", std::move(location)}};
  return response;
}

std::string RecordedRequest::Header(const std::string& name) const {
  for (const auto& [key, value] : headers) {
    if (SameName(key, name)) return value;
  }
  return {};
}

bool RecordedRequest::HasHeader(const std::string& name) const {
  return std::any_of(headers.begin(), headers.end(),
                     [&](const auto& header) { return SameName(header.first, name); });
}

struct HttpFixture::Connection {
  int fd = -1;  // -1 once closed; guarded by the fixture's mutex
  std::thread thread;
  std::string pending;  // bytes received past the current request
};

HttpFixture::HttpFixture() {
  BypassProxiesForLoopback();
  listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address = Loopback(0);
  if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) ||
      listen(listenFd_, 64)) {
    throw std::runtime_error("HttpFixture: cannot listen on 127.0.0.1");
  }
  port_ = BoundPort(listenFd_);
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

HttpFixture::~HttpFixture() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    // Shutting the sockets down wakes every blocked accept, recv and send at once.
    shutdown(listenFd_, SHUT_RDWR);
    for (auto& connection : connections_) {
      if (connection->fd >= 0) shutdown(connection->fd, SHUT_RDWR);
    }
  }
  stopSignal_.notify_all();
  acceptThread_.join();
  close(listenFd_);
  // No new connections after the accept loop ended, so the list is stable now.
  for (auto& connection : connections_) connection->thread.join();
}

int HttpFixture::RefusedPort() {
  // Bound but never listening: the kernel hands out a port nobody else holds right now, and
  // it stays unused after close.
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Loopback(0);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int port = BoundPort(fd);
  close(fd);
  return port;
}

void HttpFixture::Serve(const std::string& path, HttpResponse response) {
  std::lock_guard lock(mutex_);
  responses_[path] = std::move(response);
}

std::string HttpFixture::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<RecordedRequest> HttpFixture::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t HttpFixture::RequestCount(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return std::count_if(requests_.begin(), requests_.end(), [&](const RecordedRequest& request) {
    return request.target == path || PathOf(request.target) == path;
  });
}

std::size_t HttpFixture::OpenConnections() const {
  std::lock_guard lock(mutex_);
  return std::count_if(connections_.begin(), connections_.end(),
                       [](const auto& connection) { return connection->fd >= 0; });
}

HttpResponse HttpFixture::Lookup(const std::string& target) const {
  std::lock_guard lock(mutex_);
  auto found = responses_.find(target);
  if (found == responses_.end()) found = responses_.find(PathOf(target));
  if (found != responses_.end()) return found->second;
  return HttpResponse::Text("not found", 404);
}

bool HttpFixture::WaitStopped(int milliseconds) {
  std::unique_lock lock(mutex_);
  return stopSignal_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                              [this] { return stopping_; });
}

void HttpFixture::AcceptLoop() {
  for (;;) {
    int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    std::lock_guard lock(mutex_);
    if (stopping_) {
      if (fd >= 0) close(fd);
      return;
    }
    if (fd < 0) continue;
    auto connection = std::make_unique<Connection>();
    connection->fd = fd;
    Connection* raw = connection.get();
    connections_.push_back(std::move(connection));
    raw->thread = std::thread([this, raw] { HandleConnection(raw); });
  }
}

namespace {

// Reads one request head (and discards its body). False when the peer closed or broke.
bool ReadRequest(int fd, std::string& pending, RecordedRequest& request, bool& keepAlive) {
  std::size_t end;
  while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
    char buffer[4096];
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    pending.append(buffer, static_cast<std::size_t>(n));
  }
  std::string head = pending.substr(0, end);
  pending.erase(0, end + 4);
  std::size_t lineEnd = head.find("\r\n");
  std::string requestLine = head.substr(0, lineEnd);
  std::size_t space1 = requestLine.find(' ');
  std::size_t space2 = requestLine.rfind(' ');
  if (space1 == std::string::npos || space2 <= space1) return false;
  request.method = requestLine.substr(0, space1);
  request.target = requestLine.substr(space1 + 1, space2 - space1 - 1);
  keepAlive = requestLine.substr(space2 + 1) == "HTTP/1.1";
  std::size_t at = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
  while (at < head.size()) {
    std::size_t next = head.find("\r\n", at);
    if (next == std::string::npos) next = head.size();
    std::string line = head.substr(at, next - at);
    std::size_t colon = line.find(':');
    if (colon != std::string::npos) {
      request.headers.emplace_back(line.substr(0, colon), Trim(line.substr(colon + 1)));
    }
    at = next + 2;
  }
  if (SameName(request.Header("Connection"), "close")) keepAlive = false;
  std::string length = request.Header("Content-Length");
  std::size_t bodySize = length.empty() ? 0 : std::stoul(length);
  while (pending.size() < bodySize) {
    char buffer[4096];
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    pending.append(buffer, static_cast<std::size_t>(n));
  }
  pending.erase(0, bodySize);
  return true;
}

}  // namespace

void HttpFixture::HandleConnection(Connection* connection) {
  int fd = connection->fd;
  RecordedRequest request;
  bool keepAlive = false;
  while (ReadRequest(fd, connection->pending, request, keepAlive)) {
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
    }
    if (!Respond(*connection, request) || !keepAlive) break;
    request = {};
  }
  std::lock_guard lock(mutex_);
  if (connection->fd >= 0) close(connection->fd);
  connection->fd = -1;
}

bool HttpFixture::SendAll(int fd, const char* data, std::size_t size, int bytesPerSecond) {
  // A throttled body goes out in twentieths of a second's worth.
  std::size_t slice = bytesPerSecond > 0 ? std::max(1, bytesPerSecond / 20) : size;
  while (size > 0) {
    std::size_t n = std::min(slice, size);
    std::size_t sent = 0;
    while (sent < n) {
      ssize_t r = send(fd, data + sent, n - sent, MSG_NOSIGNAL);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) return false;
      sent += static_cast<std::size_t>(r);
    }
    data += n;
    size -= n;
    if (bytesPerSecond > 0 && size > 0 && WaitStopped(50)) return false;
  }
  return true;
}

namespace {

// Holds the connection open and silent until the peer closes it or the fixture stops.
void HoldSilent(int fd, const std::function<bool(int)>& waitStopped) {
  for (;;) {
    pollfd watch{fd, POLLIN, 0};
    if (poll(&watch, 1, 0) > 0) {
      char buffer[1024];
      if (recv(fd, buffer, sizeof buffer, 0) <= 0) return;
    }
    if (waitStopped(20)) return;
  }
}

void Reset(int fd) {
  linger hard{1, 0};
  // Closing with a zero linger time sends RST instead of FIN.
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
}

}  // namespace

// Answers one request. Returns whether the connection may carry another one.
bool HttpFixture::Respond(Connection& connection, const RecordedRequest& request) {
  const int fd = connection.fd;
  auto waitStopped = [this](int ms) { return WaitStopped(ms); };
  HttpResponse response = Lookup(request.target);
  if (response.silent) {
    HoldSilent(fd, waitStopped);
    return false;
  }
  if (response.resetBeforeHeaders) {
    Reset(fd);
    return false;
  }
  bool hasLength = std::any_of(response.headers.begin(), response.headers.end(),
                               [](const auto& h) { return SameName(h.first, "Content-Length"); });
  std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " +
                     (response.reason.empty() ? Reason(response.status) : response.reason) + "\r\n";
  for (const auto& [name, value] : response.headers) head += name + ": " + value + "\r\n";
  bool delimited = !hasLength && !response.omitContentLength && !response.rawContentLength;
  if (response.chunked) {
    head += "Transfer-Encoding: chunked\r\n";
  } else if (response.rawContentLength) {
    head += "Content-Length: " + *response.rawContentLength + "\r\n";
  } else if (delimited) {
    head += "Content-Length: " + std::to_string(response.body.size() * response.repeat) + "\r\n";
  }
  if (!delimited && !response.chunked) head += "Connection: close\r\n";
  head += "\r\n";
  if (!SendAll(fd, head.data(), head.size(), 0)) return false;
  if (response.resetAfterHeaders) {
    Reset(fd);
    return false;
  }
  if (response.stallAfterHeaders) {
    HoldSilent(fd, waitStopped);
    return false;
  }
  bool complete = true;
  if (request.method != "HEAD") {
    std::size_t total = response.body.size() * response.repeat;
    std::size_t limit = std::min(response.sendBytes, total);
    std::size_t piece = response.chunked ? std::max<std::size_t>(1, response.chunkSize) : 1 << 20;
    complete = ForEachPiece(response, limit, piece, [&](std::string_view data) {
      if (!response.chunked) return SendAll(fd, data.data(), data.size(), response.bytesPerSecond);
      char size[32];
      int n = std::snprintf(size, sizeof size, "%zx\r\n", data.size());
      return SendAll(fd, size, static_cast<std::size_t>(n), 0) &&
             SendAll(fd, data.data(), data.size(), response.bytesPerSecond) &&
             SendAll(fd, "\r\n", 2, 0);
    });
    if (complete && limit < total) {
      if (response.stallAfterSend) HoldSilent(fd, waitStopped);
      return false;
    }
    if (complete && response.chunked) complete = SendAll(fd, "0\r\n\r\n", 5, 0);
  }
  return complete && (delimited || response.chunked);
}

}  // namespace larkspan::test
