#pragma once
// The worked example of a signed release in docs/publishing.md, read from there by the tests of
// both builds: the key, the update text and the message that its record signs.
#include <fstream>
#include <string>
#include <string_view>

namespace larkspan::test {

struct WorkedExample {
  std::string key, text, message;
  // The installer's bytes, as the page describes them.
  static constexpr std::string_view kInstaller = "Vantrel 3.2";
};

// Each part is the indented line after the line that ends in its marker.
inline WorkedExample ReadWorkedExample() {
  WorkedExample example;
  const std::pair<std::string_view, std::string*> markers[] = {
      {"takes it:", &example.key},
      {"writes, on one line:", &example.text},
      {"signs, on one line:", &example.message}};
  std::ifstream doc(LARKSPAN_SOURCE_DIR "/docs/publishing.md");
  std::string* next = nullptr;
  for (std::string line; std::getline(doc, line);) {
    if (next && line.starts_with("    ")) *std::exchange(next, nullptr) = line.substr(4);
    for (const auto& [marker, part] : markers) next = line.ends_with(marker) ? part : next;
  }
  return example;
}

}  // namespace larkspan::test
