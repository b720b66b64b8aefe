#pragma once
#include "platform/Layout.h"

namespace larkspan {

// The download window as designed: every control with its place in twips, font, colours,
// caption, picture and initial state. The back ends build the window from this table.
const WindowLayout& DownFormLayout();

}  // namespace larkspan
