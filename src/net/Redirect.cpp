#include "net/Redirect.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "text/AsciiText.h"

namespace larkspan {
namespace {

// The scheme that starts `address`, without its ":"; empty for a relative address. A scheme is
// a letter, then letters, digits, "+", "-" or ".", then ":".
std::string_view SchemeOf(std::string_view address) {
  const std::size_t end = address.find_first_of(":/?#");
  if (end == std::string_view::npos || end == 0 || address[end] != ':' ||
      !std::isalpha(static_cast<unsigned char>(address[0]))) {
    return {};
  }
  const std::string_view scheme = address.substr(0, end);
  const bool valid = std::all_of(scheme.begin(), scheme.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
  });
  return valid ? scheme : std::string_view();
}

// An address in its parts; the authority keeps its "//" and the query its "?", so that an
// empty one differs from none.
struct AddressParts {
  std::string_view scheme, authority, path, query;
};

AddressParts Split(std::string_view address) {
  AddressParts parts;
  address = address.substr(0, address.find('#'));
  const std::size_t query = std::min(address.find('?'), address.size());
  parts.query = address.substr(query);
  address = address.substr(0, query);
  parts.scheme = SchemeOf(address);
  if (!parts.scheme.empty()) address.remove_prefix(parts.scheme.size() + 1);
  if (address.substr(0, 2) == "//") {
    const std::size_t path = std::min(address.find('/', 2), address.size());
    parts.authority = address.substr(0, path);
    address.remove_prefix(path);
  }
  parts.path = address;
  return parts;
}

// The path without its "." and ".." segments.
std::string WithoutDotSegments(std::string_view path) {
  if (path.empty()) return {};
  std::vector<std::string_view> kept;
  bool endsInFolder = false;
  for (std::size_t at = path.front() == '/' ? 1 : 0; at <= path.size();) {
    const std::size_t end = std::min(path.find('/', at), path.size());
    const std::string_view segment = path.substr(at, end - at);
    endsInFolder = segment == "." || segment == "..";
    if (segment == ".." && !kept.empty()) kept.pop_back();
    if (!endsInFolder) kept.push_back(segment);
    at = end + 1;
  }
  if (endsInFolder) kept.emplace_back();
  std::string result;
  for (const std::string_view segment : kept) result.append("/").append(segment);
  return result;
}

bool IsScheme(std::string_view address, std::string_view scheme) {
  return EqualsIgnoringAsciiCase(SchemeOf(address), scheme);
}

}  // namespace

std::string ResolveAddress(std::string_view base, std::string_view reference) {
  const AddressParts from = Split(base);
  AddressParts to = Split(reference);
  std::string merged;
  if (to.scheme.empty()) {
    to.scheme = from.scheme;
    if (to.authority.empty()) {
      to.authority = from.authority;
      if (to.path.empty()) {
        to.path = from.path;
        if (to.query.empty()) to.query = from.query;
      } else if (to.path.front() != '/') {
        // Relative to the folder of the base's path.
        const std::size_t folder = from.path.rfind('/');
        merged = std::string(folder == std::string_view::npos ? std::string_view("/")
                                                              : from.path.substr(0, folder + 1));
        to.path = merged.append(to.path);
      }
    }
  }
  return std::string(to.scheme) + ":" + std::string(to.authority) + WithoutDotSegments(to.path) +
         std::string(to.query);
}

RedirectChain::Hop RedirectChain::Judge(int status, const HttpHeaders& headers) {
  const bool redirect =
      status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
  const std::optional<std::string> location = FindHeader(headers, "Location");
  if (!redirect || !location || location->empty()) return Hop::kFinal;
  std::string next = ResolveAddress(address_, *location);
  const bool secure = IsScheme(address_, "https");
  if (followed_ == kMaxRedirects) {
    refusal_ = TransferError::kTooManyRedirects;
  } else if (!IsScheme(next, "https") && (secure || !IsScheme(next, "http"))) {
    refusal_ = TransferError::kRedirectRefused;
  }
  if (refusal_ != TransferError::kNone) return Hop::kRefused;
  ++followed_;
  address_ = std::move(next);
  return Hop::kFollow;
}

}  // namespace larkspan
