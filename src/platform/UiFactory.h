#pragma once
#include <memory>

#include "platform/Controls.h"
#include "platform/Layout.h"

namespace larkspan {

// Builds the real controls of a window from its layout table. The Qt back end does it for
// the program, the headless back end for the behaviour tests.
class UiFactory {
 public:
  virtual ~UiFactory() = default;
  virtual std::unique_ptr<Window> CreateWindow(const WindowLayout& layout) = 0;
  virtual std::unique_ptr<SaveDialog> CreateSaveDialog() = 0;
};

}  // namespace larkspan
