#pragma once
// One small window for the tests of both back ends: 400 x 300 pixels at 96 dots per inch, with
// one place that is not a whole number of pixels.
#include "ui/Layout.h"

namespace larkspan::test {

inline WindowLayout TestLayout() {
  WindowLayout w;
  w.name = "Test", w.clientWidth = 6000, w.clientHeight = 4500;
  // Its caption is longer than its box, as the download window's value labels are.
  ControlLayout status = TextLabel("StatusL", 300, 300, 600, 225, u"[Connection Status]", -1);
  status.foreColor = 0x000080, status.autoSize = true;
  // A link in the frame, 46.7 pixels high.
  ControlLayout link = PlaceControl("Pic", ControlKind::kImage, 150, 150, 750, 700);
  link.parent = "Box", link.tag = u"http://x/", link.accessibleName = u"Read More";
  link.handCursor = true;
  w.controls = {TimerControl("Tick", 20, true),
                status,
                PictureButton("StopB", 300, 3600, 1500, 450, u"", "", 0),
                PlaceControl("Box", ControlKind::kFrame, 3300, 2100, 2400, 1350),
                link,
                PlaceControl("Bar", ControlKind::kProgressBar, 1200, 2400, 1800, 300)};
  return w;
}

}  // namespace larkspan::test
