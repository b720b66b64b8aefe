#pragma once

namespace larkspan {

// The decimal separator of the user's locale as the system keeps it: on Windows the user
// locale's own setting, read once per run; elsewhere the C library's current locale, which the
// Qt application sets to the user's when it starts.
char16_t SystemDecimalSeparator();

}  // namespace larkspan
