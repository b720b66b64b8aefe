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
  // A status line ("HTTP/...") starts a new head: an interim response may come before. Returns
  // true at the empty line that ends the head. Names and values are trimmed of blanks, tabs and
  // the line end; a line without a colon is passed over.
  bool Feed(std::string_view line);
  const HttpHeaders& Headers() const { return headers_; }
  // The status of the last status line; 0 without one.
  int Status() const { return status_; }
  // 1xx: an interim response, after which the answer's own head follows.
  bool Interim() const { return status_ >= 100 && status_ < 200; }

 private:
  HttpHeaders headers_;
  int status_ = 0;
};

// The first value of the header `name` (case-blind), or nothing.
std::optional<std::string> FindHeader(const HttpHeaders& headers, std::string_view name);

// Makes every Content-Length of the head a plain number, or returns false when the head
// announces a body length that cannot be trusted. A field that lists one value several times
// ("3000, 3000", as some proxies send it) is that value; a value that is not a plain number, a
// list of different values, or two fields that disagree are refused. Client libraries settle
// on a guess of their own there (libcurl cuts "12abc" after 12 bytes), so the control refuses
// such a response rather than hand over a body cut at that guess.
bool SettleLengths(HttpHeaders& headers);

}  // namespace larkspan
