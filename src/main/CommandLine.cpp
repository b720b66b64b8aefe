#include "main/CommandLine.h"

namespace larkspan {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

}  // namespace

std::u16string ArgumentText(std::u16string_view commandLine) {
  std::size_t end = 0;
  if (!commandLine.empty() && commandLine.front() == u'"') {
    end = commandLine.find(u'"', 1);
    end = end == std::u16string_view::npos ? commandLine.size() : end + 1;
  } else {
    while (end < commandLine.size() && !IsBlank(commandLine[end])) ++end;
  }
  while (end < commandLine.size() && IsBlank(commandLine[end])) ++end;
  return std::u16string(commandLine.substr(end));
}

}  // namespace larkspan
