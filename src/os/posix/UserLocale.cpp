#include "os/UserLocale.h"

#include <clocale>
#include <string>

#include "os/CodePage.h"

namespace larkspan {

char16_t SystemDecimalSeparator() {
  const std::lconv* conventions = std::localeconv();
  if (conventions == nullptr || conventions->decimal_point == nullptr) return u'.';
  const std::u16string point = ToWide(conventions->decimal_point);
  return point.empty() ? u'.' : point.front();
}

}  // namespace larkspan
