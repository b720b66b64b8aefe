#include "net/HttpHeaders.h"

#include <cctype>

#include "text/AsciiText.h"

namespace larkspan {
namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

}  // namespace

bool HttpHeadReader::Feed(std::string_view line) {
  if (line.substr(0, 5) == "HTTP/") {
    headers_.clear();
    return false;
  }
  line = Trimmed(line);
  if (line.empty()) return true;
  const std::size_t colon = line.find(':');
  if (colon != std::string_view::npos) {
    headers_.emplace_back(Trimmed(line.substr(0, colon)), Trimmed(line.substr(colon + 1)));
  }
  return false;
}

std::optional<std::string> FindHeader(const HttpHeaders& headers, std::string_view name) {
  for (const auto& [key, value] : headers) {
    if (EqualsIgnoringAsciiCase(key, name)) return value;
  }
  return std::nullopt;
}

bool LengthsUsable(const HttpHeaders& headers) {
  const std::string* first = nullptr;
  for (const auto& [name, value] : headers) {
    if (!EqualsIgnoringAsciiCase(name, "Content-Length")) continue;
    if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) return false;
    if (first != nullptr && value != *first) return false;
    first = &value;
  }
  return true;
}

bool IsFollowedRedirect(long status, const HttpHeaders& headers) {
  const bool redirect =
      status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
  return redirect && FindHeader(headers, "Location").has_value();
}

bool RedirectAllowed(std::string_view fromScheme, std::string_view location) {
  // A scheme is a letter, then letters, digits, "+", "-" or ".", then ":"; anything else before
  // the first ":", "/", "?" or "#" makes the location relative.
  std::string_view toScheme = fromScheme;
  const std::size_t end = location.find_first_of(":/?#");
  if (end != std::string_view::npos && end > 0 && location[end] == ':' &&
      std::isalpha(static_cast<unsigned char>(location[0])) &&
      location.substr(0, end).find_first_not_of("abcdefghijklmnopqrstuvwxyz"
                                                "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.") ==
          std::string_view::npos) {
    toScheme = location.substr(0, end);
  }
  if (EqualsIgnoringAsciiCase(toScheme, "https")) return true;
  return EqualsIgnoringAsciiCase(toScheme, "http") && !EqualsIgnoringAsciiCase(fromScheme, "https");
}

}  // namespace larkspan
