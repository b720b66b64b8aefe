#pragma once
// How the transfer control reads a response's head, for the whole-text fetch, the download's
// request and every platform's client alike.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace larkspan {

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

// Reads a head line by line, as a client library hands the lines over.
class HttpHeadReader {
 public:
  // A status line ("HTTP/...") starts a new head: a redirect or an interim response came
  // before. Returns true at the empty line that ends the head. Names and values are trimmed of
  // blanks, tabs and the line end; a line without a colon is passed over.
  bool Feed(std::string_view line);
  const HttpHeaders& Headers() const { return headers_; }

 private:
  HttpHeaders headers_;
};

// The first value of the header `name` (case-blind), or nothing.
std::optional<std::string> FindHeader(const HttpHeaders& headers, std::string_view name);

// False when the head announces a body length that cannot be trusted: a Content-Length that is
// not a plain number, or two that disagree. Client libraries settle on a guess of their own
// there (libcurl cuts "12abc" after 12 bytes), so the control refuses such a response rather
// than hand over a body cut at that guess.
bool LengthsUsable(const HttpHeaders& headers);

// The redirect rules of every request of the transfer control, and of the Linux probe: a
// response is followed when its status is 301, 302, 303, 307 or 308 and it names a Location;
// at most kMaxRedirects of them in a row, each to http or https, and never from https to http,
// so that an https address is never read over plain http. A redirect that breaks a rule ends
// the request like no answer.
inline constexpr int kMaxRedirects = 10;
bool IsFollowedRedirect(long status, const HttpHeaders& headers);
// Whether the redirect to `location` (as sent: absolute, or relative and then on `fromScheme`)
// may be followed from an address on `fromScheme`, "http" or "https" in any letter case.
bool RedirectAllowed(std::string_view fromScheme, std::string_view location);

}  // namespace larkspan
