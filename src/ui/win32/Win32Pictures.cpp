#include "ui/win32/Win32Pictures.h"

#include <wincodec.h>

#include <cstdlib>
#include <vector>

#include "os/Paths.h"

namespace larkspan {
namespace {

// The fingertip of the hand in hand_cursor.png (tools/make-assets draws it there).
constexpr DWORD kHandHotX = 11;
constexpr DWORD kHandHotY = 1;

// Releases a COM interface at the end of its scope.
template <class T>
struct ComRef {
  T* p = nullptr;
  ~ComRef() {
    if (p != nullptr) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

IWICImagingFactory* Factory() {
  static IWICImagingFactory* factory = [] {
    // The program's thread is a single-threaded apartment already (the Save dialog needs one);
    // this only makes sure of it for a caller that started none.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* made = nullptr;
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&made));
    return made;
  }();
  return factory;
}

struct Pixels {
  std::vector<BYTE> bgra;  // top-down rows
  SIZE size{};
};

// The picture's pixels as 32-bit BGRA, premultiplied or straight, scaled to `width` x `height`
// (its own size times scale / 96 when width is 0).
bool Decode(const std::string& fileName, bool premultiplied, UINT scale, int width, int height,
            Pixels& out) {
  const std::filesystem::path path = AssetPath(fileName);
  IWICImagingFactory* factory = Factory();
  if (path.empty() || factory == nullptr) return false;
  ComRef<IWICBitmapDecoder> decoder;
  ComRef<IWICBitmapFrameDecode> frame;
  ComRef<IWICFormatConverter> converter;
  ComRef<IWICBitmapScaler> scaler;
  if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, &decoder)) ||
      FAILED(decoder->GetFrame(0, &frame)) || FAILED(factory->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(
          frame.p, premultiplied ? GUID_WICPixelFormat32bppPBGRA : GUID_WICPixelFormat32bppBGRA,
          WICBitmapDitherTypeNone, nullptr, 0, WICBitmapPaletteTypeCustom))) {
    return false;
  }
  UINT ownWidth = 0, ownHeight = 0;
  converter->GetSize(&ownWidth, &ownHeight);
  if (width <= 0) {
    width = MulDiv(static_cast<int>(ownWidth), static_cast<int>(scale), USER_DEFAULT_SCREEN_DPI);
    height = MulDiv(static_cast<int>(ownHeight), static_cast<int>(scale), USER_DEFAULT_SCREEN_DPI);
  }
  IWICBitmapSource* source = converter.p;
  if (static_cast<UINT>(width) != ownWidth || static_cast<UINT>(height) != ownHeight) {
    if (FAILED(factory->CreateBitmapScaler(&scaler)) ||
        FAILED(scaler->Initialize(converter.p, static_cast<UINT>(width), static_cast<UINT>(height),
                                  WICBitmapInterpolationModeFant))) {
      return false;
    }
    source = scaler.p;
  }
  out.size = {width, height};
  out.bgra.resize(static_cast<std::size_t>(width) * height * 4);
  return SUCCEEDED(source->CopyPixels(nullptr, static_cast<UINT>(width) * 4,
                                      static_cast<UINT>(out.bgra.size()), out.bgra.data()));
}

HBITMAP ToBitmap(const Pixels& pixels) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = pixels.size.cx;
  info.bmiHeader.biHeight = -pixels.size.cy;  // top-down, as decoded
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr)
    std::copy(pixels.bgra.begin(), pixels.bgra.end(), static_cast<BYTE*>(bits));
  return bitmap;
}

// An icon or cursor from straight-alpha pixels; the mask is unused with 32-bit colour.
HICON MakeIcon(const Pixels& pixels, bool icon, DWORD hotX, DWORD hotY) {
  HBITMAP color = ToBitmap(pixels);
  HBITMAP mask = CreateBitmap(pixels.size.cx, pixels.size.cy, 1, 1, nullptr);
  ICONINFO info{icon ? TRUE : FALSE, hotX, hotY, mask, color};
  HICON made = color != nullptr && mask != nullptr ? CreateIconIndirect(&info) : nullptr;
  DeleteObject(color);
  DeleteObject(mask);
  return made;
}

}  // namespace

Win32Picture::~Win32Picture() {
  DeleteObject(bitmap_);
}

void Win32Picture::Draw(HDC dc, int x, int y, BYTE opacity) const {
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(source, bitmap_);
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity, AC_SRC_ALPHA};
  // gdi32's own blend: msimg32's AlphaBlend only forwards to it, and would be one more DLL to
  // load before the first paint.
  GdiAlphaBlend(dc, x, y, size_.cx, size_.cy, source, 0, 0, size_.cx, size_.cy, blend);
  SelectObject(source, previous);
  DeleteDC(source);
}

std::filesystem::path AssetPath(const std::string& fileName) {
  if (fileName.empty()) return {};
  const std::filesystem::path name(fileName);
  std::vector<std::filesystem::path> folders{ProgramFolder() / L"assets",
                                             ProgramFolder().parent_path() / L"bin" / L"assets"};
  if (const wchar_t* source = _wgetenv(L"LARKSPAN_SOURCE_DIR")) {
    folders.push_back(std::filesystem::path(source) / L"assets");
  }
  std::error_code error;
  for (const auto& folder : folders) {
    if (std::filesystem::is_regular_file(folder / name, error)) return folder / name;
  }
  return {};
}

std::unique_ptr<Win32Picture> LoadPicture(const std::string& fileName, UINT scale, int width,
                                          int height) {
  Pixels pixels;
  if (!Decode(fileName, true, scale, width, height, pixels)) return nullptr;
  HBITMAP bitmap = ToBitmap(pixels);
  if (bitmap == nullptr) return nullptr;
  return std::make_unique<Win32Picture>(bitmap, pixels.size);
}

HICON LoadPictureIcon(const std::string& fileName, int size) {
  Pixels pixels;
  if (!Decode(fileName, false, USER_DEFAULT_SCREEN_DPI, size, size, pixels)) return nullptr;
  return MakeIcon(pixels, true, 0, 0);
}

HCURSOR HandCursor() {
  static const HCURSOR hand = [] {
    Pixels pixels;
    if (Decode("hand_cursor.png", false, USER_DEFAULT_SCREEN_DPI, 0, 0, pixels)) {
      if (HICON made = MakeIcon(pixels, false, kHandHotX, kHandHotY)) return made;
    }
    return LoadCursorW(nullptr, IDC_HAND);
  }();
  return hand;
}

}  // namespace larkspan
