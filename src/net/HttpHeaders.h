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

}  // namespace larkspan
