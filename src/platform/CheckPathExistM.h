#pragma once
#include <string>

namespace larkspan {

// True when the path names an existing file or folder; false for an empty path or whenever
// its existence cannot be established.
bool CheckPathExist(const std::u16string& path);

}  // namespace larkspan
