#include "net/Probe.h"

#include <chrono>
#include <exception>
#include <string_view>

#include "base/Failure.h"
#include "net/Redirect.h"
#include "net/curl/CurlSession.h"
#include "os/CodePage.h"

namespace larkspan {
namespace {

// A dead address must not hold the window for long: 10 s to connect, 20 s in all until the
// final answer's head is in. The probes run on the user-interface thread, which they block.
constexpr long kConnectTimeoutSeconds = 10;
constexpr std::chrono::seconds kTotalTimeout{20};

struct ProbeState {
  explicit ProbeState(std::string address) : chain(std::move(address)) {}
  HttpHeadReader head;
  RedirectChain chain;
  RedirectChain::Hop hop = RedirectChain::Hop::kRefused;  // no head: no answer
  // Stops the transfer at the end of each answer's head: the answer is all we wanted, and no
  // body is read. A redirect is followed by a request of its own.
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto* state = static_cast<ProbeState*>(self);
    if (!state->head.Feed(std::string_view(data, size * count)) || state->head.Interim()) {
      return size * count;
    }
    state->hop = state->chain.Judge(state->head.Status(), state->head.Headers());
    return 0;
  }
  static std::size_t OnBody(char*, std::size_t, std::size_t, void*) { return 0; }
};

}  // namespace

bool IsUrlOnline(const std::u16string& address) {
  std::optional<std::string> url = NormalizeAddress(ToNarrow(address), false);
  if (!url) return false;
  try {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + kTotalTimeout;
    CurlEasy easy;
    ApplyCommonOptions(easy, kConnectTimeoutSeconds);
    CURL* h = easy.get();
    ProbeState state(*url);
    curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &ProbeState::OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &state);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &ProbeState::OnBody);
    for (;;) {
      const long left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0 || !AimAt(easy, state.chain.Address())) return false;
      curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, left);
      state.hop = RedirectChain::Hop::kRefused;
      curl_easy_perform(h);  // ends with a write error once we stop it: the hop tells
      if (state.hop != RedirectChain::Hop::kFollow) return state.hop == RedirectChain::Hop::kFinal;
    }
  } catch (const Failure&) {
    return false;
  }
}

}  // namespace larkspan
