#include "platform/AOnTop.h"

namespace larkspan {

void SetOnTop(Window& window, bool onTop) { window.SetTopmost(onTop); }

}  // namespace larkspan
