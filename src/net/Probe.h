#pragma once
// Whether the internet, and one site, can be reached: a probe counts as answered as soon as a
// response's headers arrive, whatever its status. Neither function shows or raises anything.
#include <string>
#include <vector>

namespace larkspan {

// Probes the addresses in order and stops at the first that answers.
bool IsOnline(const std::vector<std::u16string>& probeAddresses);
bool IsUrlOnline(const std::u16string& address);

}  // namespace larkspan
