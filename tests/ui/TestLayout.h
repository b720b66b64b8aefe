#pragma once
// One small window for the tests of both back ends: 400 x 300 pixels at 96 dots per inch, with
// one place that is not a whole number of pixels.
#include "ui/Layout.h"

namespace larkspan::test {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"  // left-out members: defaults
// clang-format off
inline WindowLayout TestLayout() {
  using K = ControlKind;
  WindowLayout w{.name = "Test", .clientWidth = 6000, .clientHeight = 4500};
  w.controls = {
      {.name = "Tick", .kind = K::kTimer, .interval = 20},
      // Its caption is longer than its box, as the download window's value labels are.
      {.name = "StatusL", .left = 300, .top = 300, .width = 600, .height = 225,
       .caption = u"[Connection Status]", .foreColor = 0x000080, .autoSize = true},
      {.name = "StopB", .kind = K::kButton, .left = 300, .top = 3600, .width = 1500, .height = 450,
       .tabIndex = 0, .tabStop = true},
      {.name = "Box", .kind = K::kFrame, .left = 3300, .top = 2100, .width = 2400, .height = 1350},
      {.name = "Pic", .kind = K::kImage, .parent = "Box", .left = 150, .top = 150,
       .width = 750, .height = 700,  // 46.7 pixels high
       .tag = u"http://x/", .handCursor = true, .accessibleName = u"Read More"},
      {.name = "Bar", .kind = K::kProgressBar, .left = 1200, .top = 2400, .width = 1800,
       .height = 300},
  };
  return w;
}
// clang-format on
#pragma GCC diagnostic pop

}  // namespace larkspan::test
