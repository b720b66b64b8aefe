#include "net/HttpHeaders.h"

#include <algorithm>
#include <charconv>

#include "text/AsciiText.h"

namespace larkspan {
namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

// The one value that a Content-Length field holds, alone or listed repeatedly; empty when it is
// anything else.
std::string_view LengthValue(std::string_view field) {
  std::string_view value;
  for (std::size_t at = 0; at <= field.size();) {
    const std::size_t comma = std::min(field.find(',', at), field.size());
    const std::string_view item = Trimmed(field.substr(at, comma - at));
    if (item.empty() || item.find_first_not_of("0123456789") != std::string_view::npos ||
        (!value.empty() && item != value)) {
      return {};
    }
    value = item;
    at = comma + 1;
  }
  return value;
}

}  // namespace

bool HttpHeadReader::Feed(std::string_view line) {
  if (line.substr(0, 5) == "HTTP/") {
    headers_.clear();
    status_ = 0;
    const std::size_t space = line.find(' ');
    if (space != std::string_view::npos) {
      std::from_chars(line.data() + space + 1, line.data() + line.size(), status_);
    }
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

bool SettleLengths(HttpHeaders& headers) {
  std::string first;
  for (auto& [name, value] : headers) {
    if (!EqualsIgnoringAsciiCase(name, "Content-Length")) continue;
    const std::string_view length = LengthValue(value);
    if (length.empty() || (!first.empty() && length != first)) return false;
    value = first = length;
  }
  return true;
}

}  // namespace larkspan
