#pragma once
#include <QImage>

namespace larkspan::assets {

// Small icons and button pictures.
QImage QuestionBall(int width, int height);  // blue ball with a white question mark
QImage DownloadArrow();                      // 16 x 16
QImage CancelCross();                        // 16 x 16
QImage StopBall();                           // 20 x 20
QImage RunBall();                            // 20 x 20
QImage ClosePower();                         // 24 x 24
QImage DownloadGlobe();                      // 32 x 32

// Larger pictures.
QImage OstrafelBox();     // 200 x 192
QImage ReadMoreButton();  // 129 x 51
QImage DownloadButton();  // 116 x 51
// 32 x 32; the fingertip is at (11, 1), the cursor's hot spot (the back end uses it).
QImage HandCursor();

}  // namespace larkspan::assets
