#include "support/HttpFixture.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace larkspan::test {
namespace {

#ifdef _WIN32
using Socket = SOCKET;
constexpr int kSendFlags = 0;
const auto CloseSocket = closesocket;
const auto LastError = WSAGetLastError;
constexpr int kWouldBlock = WSAEWOULDBLOCK;
const auto NoBlocking = [](Socket s, u_long on = 1) { ioctlsocket(s, FIONBIO, &on); };
const int winsock = [] {
  WSADATA data;
  return WSAStartup(MAKEWORD(2, 2), &data);
}();
#else
using Socket = int;
constexpr int kSendFlags = MSG_NOSIGNAL;
const auto CloseSocket = close;
const auto LastError = [] { return errno; };
constexpr int kWouldBlock = EWOULDBLOCK;
const auto NoBlocking = [](Socket s) { fcntl(s, F_SETFL, fcntl(s, F_GETFL) | O_NONBLOCK); };
#endif

Socket Listener(int& port, int backlog) {
  Socket s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  auto* raw = reinterpret_cast<sockaddr*>(&address);
  if (bind(s, raw, sizeof address) != 0 || (backlog > 0 && listen(s, backlog) != 0) ||
      getsockname(s, raw, &length) != 0) {
    throw std::runtime_error("HttpFixture: cannot bind on 127.0.0.1");
  }
  port = ntohs(address.sin_port);
  return s;
}

// Whether the socket has something to read (or has been closed), or with `writing` room to
// write, within `ms`.
bool Readable(Socket s, int ms, bool writing = false) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval wait{0, ms * 1000};
  return select(static_cast<int>(s + 1), writing ? nullptr : &set, writing ? &set : nullptr,
                nullptr, &wait) > 0;
}

}  // namespace

struct HttpFixture::State {
  Socket listener;
  int port = 0;
  std::mutex mutex;
  std::condition_variable stopped;
  bool stopping = false;
  std::map<std::string, Reply> replies;
  std::map<std::string, std::pair<std::string, Reply>> repliesTo;  // by path: a line, its reply
  std::vector<Request> requests;
  std::vector<std::thread> connections;  // one thread each
  std::set<Socket> open;                 // their sockets, shut down when the fixture stops
  std::thread acceptor;

  bool Stopping() {
    std::lock_guard lock(mutex);
    return stopping;
  }

  void AcceptLoop() {
    for (;;) {
      const bool waiting = Readable(listener, 20);
      std::lock_guard lock(mutex);
      if (stopping) return;
      if (!waiting) continue;
      const Socket s = accept(listener, nullptr, nullptr);
      NoBlocking(s);
      open.insert(s);
      connections.emplace_back([this, s] { Handle(s); });
    }
  }

  // Sends in twentieths of a second's worth when paced (a byte at a time when that is less);
  // false once the fixture stops or the peer has gone.
  bool Send(Socket s, const char* data, std::size_t size, int bytesPerSecond) {
    const std::size_t slice = bytesPerSecond > 0 ? std::max(1, bytesPerSecond / 20) : size;
    while (size > 0) {
      const std::size_t n = std::min(slice, size);
      for (std::size_t sent = 0; sent < n;) {
        // A socket that never blocks: a peer that reads no more holds no thread past the end.
        const int r = send(s, data + sent, static_cast<int>(n - sent), kSendFlags);
        if (r < 0 && LastError() == kWouldBlock && !Stopping()) {
          Readable(s, 20, true);
          continue;
        }
        if (r <= 0) return false;
        sent += static_cast<std::size_t>(r);
      }
      data += n;
      size -= n;
      if (bytesPerSecond > 0 && size > 0 &&
          !Pause(std::chrono::milliseconds(1000) * slice / bytesPerSecond)) {
        return false;
      }
    }
    return true;
  }

  // False once the fixture stops.
  bool Pause(std::chrono::milliseconds pause) {
    std::unique_lock lock(mutex);
    return !stopped.wait_for(lock, pause, [this] { return stopping; });
  }

  // Reads the request head; the reply for its path, or a 404 (also for no request at all).
  Reply Receive(Socket s) {
    std::string received;
    char buffer[4096];
    std::size_t end;
    while ((end = received.find("\r\n\r\n")) == std::string::npos && !Stopping()) {
      if (!Readable(s, 20)) continue;
      const int n = recv(s, buffer, sizeof buffer, 0);
      if (n <= 0) return Reply::Text("not found", 404);
      received.append(buffer, static_cast<std::size_t>(n));
    }
    if (end == std::string::npos) return Reply::Text("not found", 404);
    Request request;
    const std::size_t lineEnd = received.find("\r\n");
    std::istringstream(received.substr(0, lineEnd)) >> request.method >> request.target;
    request.head = received.substr(lineEnd + 2, end - lineEnd);
    const std::string path = request.target.substr(0, request.target.find('?'));
    std::lock_guard lock(mutex);
    requests.push_back(request);
    auto to = repliesTo.find(path);
    if (to != repliesTo.end() &&
        request.head.find(to->second.first + "\r\n") != std::string::npos) {
      return to->second.second;
    }
    auto found = replies.find(path);
    return found == replies.end() ? Reply::Text("not found", 404) : found->second;
  }

  void Handle(Socket s) {
    const Reply reply = Receive(s);
    bool sent = Pause(std::chrono::milliseconds(reply.headAfterMs)) &&
                Send(s, reply.head.data(), reply.head.size(), 0);
    for (std::size_t round = 0, left = reply.bodyBytes; sent && round < reply.repeat && left > 0;
         ++round) {
      const std::size_t n = std::min(left, reply.body.size());
      sent = Send(s, reply.body.data(), n, reply.bytesPerSecond);
      left -= n;
    }
    // Held: silent until the peer closes or the fixture stops.
    while (sent && reply.end == Reply::End::kHold && !Stopping()) {
      char buffer[1024];
      if (Readable(s, 20) && recv(s, buffer, sizeof buffer, 0) <= 0) break;
    }
    if (reply.end == Reply::End::kReset) {
      // A zero linger time makes the close send RST instead of FIN.
      linger hard{1, 0};
      setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
    }
    std::lock_guard lock(mutex);
    open.erase(s);
    CloseSocket(s);
  }
};

// The connection closes after the reply, and the head says so: a client that took it for a
// kept-alive one could send its next request into the close and see it reset.
Reply Reply::Text(std::string body, int status, const std::string& extraHeaders) {
  const std::string length = std::to_string(body.size());
  return Raw("HTTP/1.1 " + std::to_string(status) + " Status\r\nContent-Length: " + length +
                 "\r\nContent-Type: text/plain\r\nConnection: close\r\n" + extraHeaders,
             std::move(body));
}

Reply Reply::Raw(const std::string& headLines, std::string body) {
  return {.head = headLines + "\r\n", .body = std::move(body)};
}

std::string PatternBody(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>(i * 7 + i / 251);
  return body;
}

HttpFixture::HttpFixture() : state_(std::make_unique<State>()) {
#ifndef _WIN32
  // Tests talk to the fixture directly, even where the environment names a proxy.
  setenv("no_proxy", "127.0.0.1,localhost", 1);
  setenv("NO_PROXY", "127.0.0.1,localhost", 1);
#endif
  state_->listener = Listener(state_->port, 64);
  state_->acceptor = std::thread([s = state_.get()] { s->AcceptLoop(); });
}

HttpFixture::~HttpFixture() {
  {
    // No connection is accepted after this; a reply that a client no longer reads would block
    // its thread for good.
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
    for (const Socket s : state_->open) shutdown(s, 2);  // SHUT_RDWR, SD_BOTH
  }
  state_->stopped.notify_all();
  state_->acceptor.join();
  CloseSocket(state_->listener);
  // The accept loop has ended, so the list is stable now.
  for (std::thread& connection : state_->connections) connection.join();
}

std::string HttpFixture::RefusedUrl() {
  // Bound but never listening: a port that nobody else holds right now, unused after close.
  int port = 0;
  CloseSocket(Listener(port, 0));
  return "http://127.0.0.1:" + std::to_string(port) + "/";
}

void HttpFixture::Serve(const std::string& path, Reply reply) {
  std::lock_guard lock(state_->mutex);
  state_->replies[path] = std::move(reply);
}

void HttpFixture::ServeTo(const std::string& line, const std::string& path, Reply reply) {
  std::lock_guard lock(state_->mutex);
  state_->repliesTo[path] = {line, std::move(reply)};
}

std::string HttpFixture::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(state_->port) + path;
}

int HttpFixture::Port() const {
  return state_->port;
}

std::vector<Request> HttpFixture::Requests() const {
  std::lock_guard lock(state_->mutex);
  return state_->requests;
}

}  // namespace larkspan::test
