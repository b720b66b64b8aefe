#pragma once
#include "platform/Controls.h"

namespace larkspan {

// Puts a window into the topmost band of the window order (onTop true) or back into the
// normal band, in place and at its size. A window that no longer exists is the caller's
// failure to handle.
void SetOnTop(Window& window, bool onTop);

}  // namespace larkspan
