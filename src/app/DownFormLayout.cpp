#include "app/DownFormLayout.h"

#include <utility>

#include "Product.h"

namespace larkspan {
namespace {

constexpr Rgb kStatusOrange = 0xC04000;

// The two button places: Stop or Close on the left, Cancel or Run File on the right.
constexpr int kLeftButtonPlace = 1920;
constexpr int kRightButtonPlace = 3720;
constexpr int kButtonTop = 2160;
constexpr int kButtonWidth = 1575;
constexpr int kButtonHeight = 450;

// The value labels line up in one column right of the name labels; every label is one line
// high and grows to its text (at the end of Build).
constexpr int kValueColumn = 1560;
constexpr int kLabelHeight = 195;

// A button in one of the two places; Close and Run File start hidden there.
ControlLayout PlacedButton(std::string name, int left, std::u16string caption, std::string picture,
                           bool visible, int tabIndex) {
  ControlLayout c = PictureButton(std::move(name), left, kButtonTop, kButtonWidth, kButtonHeight,
                                  std::move(caption), std::move(picture), tabIndex);
  c.visible = visible;
  return c;
}

WindowLayout Build() {
  WindowLayout w;
  w.name = "DownForm";
  w.caption = kDownloaderTitle + std::u16string(u" 1.0");
  w.clientWidth = 7125;
  w.clientHeight = 2775;
  w.icon = "download_icon.png";

  // Both start disabled: the window's load starts the first one, the download the other.
  w.controls.push_back(TimerControl(downform::DoDwonJobTimer, 200, false));
  w.controls.push_back(TimerControl(downform::DownRateTimer, 1000, false));

  ControlLayout status = TextLabel(downform::lblDownStat, 120, 165, 1575, kLabelHeight,
                                   u"[Download Status]", 7, Font{"MS Sans Serif", 8.25, true});
  status.foreColor = kStatusOrange;
  w.controls.push_back(std::move(status));

  ControlLayout bar =
      PlaceControl(downform::ProBarDownload, ControlKind::kProgressBar, 120, 480, 6855, 495);
  bar.maximum = 100;
  bar.font = Font{"Arial", 8.25, false};
  bar.foreColor = 0x000000;
  bar.tabIndex = 0;
  w.controls.push_back(std::move(bar));

  w.controls.push_back(
      TextLabel(downform::lblFileSize, 120, 1080, 585, kLabelHeight, u"File Size", 2));
  w.controls.push_back(TextLabel(downform::lblFileSizeVal, kValueColumn, 1080, 675, kLabelHeight,
                                 u"[File Size]", 1));
  w.controls.push_back(
      TextLabel(downform::lblDown, 120, 1440, 900, kLabelHeight, u"Downloaded", 3));
  w.controls.push_back(
      TextLabel(downform::lblDownVal, kValueColumn, 1440, 990, kLabelHeight, u"[Downloaded]", 4));
  w.controls.push_back(
      TextLabel(downform::lblTransferRate, 120, 1800, 975, kLabelHeight, u"Transfer Rate", 5));
  w.controls.push_back(TextLabel(downform::lblTransferRateVal, kValueColumn, 1800, 1065,
                                 kLabelHeight, u"[Transfer Rate]", 6));

  w.controls.push_back(
      PlacedButton(downform::btnStopDownload, kLeftButtonPlace, u"Stop", "stop.png", true, 11));
  w.controls.push_back(
      PlacedButton(downform::btnClose, kLeftButtonPlace, u"Close", "close_power.png", false, 10));
  w.controls.push_back(
      PlacedButton(downform::btnCancel, kRightButtonPlace, u"Cancel", "cancel_cross.png", true, 9));
  w.controls.push_back(
      PlacedButton(downform::btnRunFile, kRightButtonPlace, u"Run File", "run_file.png", false, 8));

  // Every label of this window grows to its text: the value texts are longer than their boxes.
  for (ControlLayout& c : w.controls) c.autoSize = c.kind == ControlKind::kLabel;
  return w;
}

}  // namespace

const WindowLayout& DownFormLayout() {
  static const WindowLayout layout = Build();
  return layout;
}

}  // namespace larkspan
