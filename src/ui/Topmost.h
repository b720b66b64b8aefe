#pragma once
#include "ui/Controls.h"

namespace larkspan {

// Puts a window into the topmost band of the window order (onTop true) or back into the
// normal band, in place and at its size.
inline void SetOnTop(Window& window, bool onTop) {
  window.SetTopmost(onTop);
}

}  // namespace larkspan
