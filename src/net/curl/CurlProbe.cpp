#include "net/Probe.h"

#include <exception>
#include <string_view>

#include "base/Failure.h"
#include "net/curl/CurlSession.h"
#include "os/CodePage.h"

namespace larkspan {
namespace {

// A dead address must not hold the window for long: 10 s to connect, 20 s in all until the
// response's headers are in. The probes run on the user-interface thread, which they block.
constexpr long kConnectTimeoutSeconds = 10;
constexpr long kTotalTimeoutSeconds = 20;

struct ProbeState {
  explicit ProbeState(CURL* h) : handle(h) {}
  CURL* handle;
  HttpHeadReader head;
  bool answered = false;
  // Stops the transfer at the end of the final response's head: the answer is all we wanted,
  // and no body is read. Redirects are followed by the transfer control's rules.
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto* state = static_cast<ProbeState*>(self);
    if (!state->head.Feed(std::string_view(data, size * count))) return size * count;
    const HeadEnd end = JudgeHeadEnd(state->handle, state->head.Headers());
    if (end == HeadEnd::kMore) return size * count;
    state->answered = end == HeadEnd::kFinal;
    return 0;
  }
  static std::size_t OnBody(char*, std::size_t, std::size_t, void*) { return 0; }
};

}  // namespace

bool IsUrlOnline(const std::u16string& address) {
  std::optional<std::string> url = NormalizeAddress(ToNarrow(address), false);
  if (!url) return false;
  try {
    CurlEasy easy;
    ApplyCommonOptions(easy, *url, kConnectTimeoutSeconds);
    CURL* h = easy.get();
    ProbeState state(h);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, kTotalTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &ProbeState::OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &state);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &ProbeState::OnBody);
    curl_easy_perform(h);  // ends with a write error once we stop it: answered tells
    return state.answered;
  } catch (const Failure&) {
    return false;
  }
}

}  // namespace larkspan
