#pragma once
// The program's pictures: PNG files in assets\ beside the program, decoded with WIC into
// 32-bit bitmaps with alpha, and the window icons and the hand cursor made from them.
#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>

namespace larkspan {

// A decoded picture, premultiplied for blending.
class Win32Picture {
 public:
  Win32Picture(HBITMAP bitmap, SIZE size) : bitmap_(bitmap), size_(size) {}
  ~Win32Picture();
  Win32Picture(const Win32Picture&) = delete;
  Win32Picture& operator=(const Win32Picture&) = delete;

  SIZE Size() const { return size_; }
  // Draws the picture at its size with its top left corner at (x, y); `opacity` below 255
  // fades it (a disabled button's picture).
  void Draw(HDC dc, int x, int y, BYTE opacity = 255) const;

 private:
  HBITMAP bitmap_;
  SIZE size_;
};

// Where a picture of the assets lies: assets\ beside the program, beside bin\ one folder up
// (the tests), or under LARKSPAN_SOURCE_DIR. Empty when none holds it.
std::filesystem::path AssetPath(const std::string& fileName);

// The picture at `width` x `height` pixels (smoothly scaled), or at its own size times
// `scale` / 96 when width is 0. Nothing for an empty name or a file that cannot be read.
std::unique_ptr<Win32Picture> LoadPicture(const std::string& fileName, UINT scale, int width = 0,
                                          int height = 0);

// An icon of the given size from a picture file, or nullptr.
HICON LoadPictureIcon(const std::string& fileName, int size);
// The pointing hand of the promotion pictures (the system's hand without the file).
HCURSOR HandCursor();

}  // namespace larkspan
