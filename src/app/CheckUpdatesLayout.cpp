#include "app/CheckUpdatesLayout.h"

#include "Product.h"
#include "os/CodePage.h"

namespace larkspan {
namespace {

constexpr Rgb kFrameBlue = 0x4A91E6;
constexpr Rgb kNewsBlue = 0x4180E7;
constexpr Rgb kOstrafelGreen = 0x96C633;
const Font kBoldButtonFont{"MS Sans Serif", 8.25, true};

// The advertised product's description; it has to fill the promotion panel's text box and no
// more, so its length is fixed at 256 characters.
constexpr char16_t kProdDesc[] =
    u"Ostrafel is the easy multimedia conversion tool for every home computer. It converts "
    u"video between AVI, MPEG, WMV, MP4, MOV and FLV, turns DVD titles into clips for phones "
    u"and media players, pulls the soundtrack out as MP3 and writes your clips to one DVD.";

ControlLayout Outline(std::string name, int left, int top, int width, int height) {
  ControlLayout c = PlaceControl(std::move(name), ControlKind::kShape, left, top, width, height);
  c.borderColor = kFrameBlue;
  return c;
}

ControlLayout Picture(std::string name, int left, int top, int width, int height,
                      std::string picture) {
  ControlLayout c = PlaceControl(std::move(name), ControlKind::kImage, left, top, width, height);
  c.picture = std::move(picture);
  return c;
}

// The language files hold no text for the two links; what their pictures say is English.
ControlLayout PromotionLink(std::string name, int left, int top, int width, int height,
                            std::string picture, const char* address, std::u16string spoken) {
  ControlLayout c = Picture(std::move(name), left, top, width, height, std::move(picture));
  c.parent = "Frame1";
  c.tag = FromUtf8(address);
  c.accessibleName = std::move(spoken);
  c.handCursor = true;
  return c;
}

ControlLayout InFrame(ControlLayout c) {
  c.parent = "Frame1";
  return c;
}

WindowLayout Build() {
  WindowLayout w;
  w.name = "CheckUpdatesForm";
  w.caption = kCompanyName + std::u16string(u" - Update Manager 3.15");
  w.clientWidth = 6930;
  w.clientHeight = 7350;
  w.icon = "update_icon.png";

  // The outlines first: they lie behind everything they frame.
  w.controls.push_back(Outline("Shape2", 120, 120, 6735, 735));
  w.controls.push_back(Outline("Shape1", 120, 960, 6735, 2775));
  w.controls.push_back(Outline("Shape3", 120, 4440, 6735, 2295));

  w.controls.push_back(TimerControl(checkupdates::DoJobTimer, 200, true));
  w.controls.push_back(TimerControl(checkupdates::OnTopFormTimer, 2000, true));

  ControlLayout status = TextLabel(checkupdates::StatusL, 240, 195, 4850, 570,
                                   u"[Connection Status]", 4, Font{"Arial", 8.25, true});
  status.wordWrap = true;  // the result lines are two lines long and must show whole
  w.controls.push_back(status);

  ControlLayout download = PictureButton(checkupdates::DownloadCB, 5160, 120, 1695, 735,
                                         u"Download", "download_arrow.png", 6, kBoldButtonFont);
  download.visible = false;
  w.controls.push_back(download);

  ControlLayout news =
      PlaceControl(checkupdates::NewsT, ControlKind::kTextBox, 240, 1080, 6495, 2535);
  news.multiLine = true;
  news.verticalScrollBar = true;
  news.locked = true;
  news.backColor = 0xFFFFFF;
  news.foreColor = kNewsBlue;
  news.font = Font{"Arial", 9, true};
  news.tabIndex = 0;
  news.tabStop = false;
  w.controls.push_back(news);

  w.controls.push_back(Picture("HelpPic", 120, 3735, 750, 690, "help_button.png"));
  w.controls.push_back(TextLabel(checkupdates::lblLastNews, 960, 3960, 975, 255, u"Last News", 5,
                                 Font{"Arial", 8.25, true}));

  ControlLayout frame = PlaceControl("Frame1", ControlKind::kFrame, 240, 4560, 6495, 2055);
  frame.caption = u"Frame1";  // never shown: the frame has no border and no title
  frame.backColor = 0xFFFFFF;
  frame.tabIndex = 1;
  w.controls.push_back(frame);

  ControlLayout box = InFrame(Picture("Image2", 0, 120, 1560, 1680, "ostrafel_box.png"));
  box.stretch = true;
  w.controls.push_back(box);

  ControlLayout title =
      InFrame(TextLabel("Label3", 1320, 0, 4815, 375, u"  Ostrafel", 3, Font{"Arial", 12, true}));
  title.foreColor = kOstrafelGreen;
  w.controls.push_back(title);

  ControlLayout desc = InFrame(
      TextLabel("lblProdDesc", 1320, 360, 5175, 975, kProdDesc, 2, Font{"Verdana", 8.25, false}));
  desc.foreColor = 0x000000;
  desc.wordWrap = true;
  w.controls.push_back(desc);

  w.controls.push_back(PromotionLink(checkupdates::imgReadMore, 2880, 1320, 1935, 765,
                                     "read_more.png", deployment::kPromoPageUrl,
                                     u"Ostrafel - Read More"));
  w.controls.push_back(PromotionLink(checkupdates::imgDownload, 4800, 1320, 1740, 765,
                                     "download_button.png", deployment::kPromoInstallerUrl,
                                     u"Ostrafel - Download"));

  w.controls.push_back(PictureButton(checkupdates::btnCancel, 120, 6840, 6735, 495, u"Cancel",
                                     "cancel_cross.png", 7, kBoldButtonFont));
  return w;
}

}  // namespace

const WindowLayout& CheckUpdatesFormLayout() {
  static const WindowLayout layout = Build();
  return layout;
}

}  // namespace larkspan
