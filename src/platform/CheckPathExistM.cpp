#include "platform/CheckPathExistM.h"

#include <sys/stat.h>

#include "platform/CodePage.h"

namespace larkspan {

bool CheckPathExist(const std::u16string& path) {
  if (path.empty()) return false;
  struct stat info {};
  return stat(ToNarrow(path).c_str(), &info) == 0;
}

}  // namespace larkspan
