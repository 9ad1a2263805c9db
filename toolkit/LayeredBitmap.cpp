// Premultiplied DIB sections for layered windows and the UpdateLayeredWindow call that shows
// them; the device contexts live only for the call and are released on every way out.
#include "toolkit/LayeredBitmap.h"

#include <algorithm>
#include <cstring>

namespace qv {
namespace {

class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

class MemoryDc {
 public:
  explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back, so the bitmap is never
// deleted while still selected.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selection() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  bool Ok() const { return previous_ && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace

std::vector<uint8_t> ToPremultipliedBgra(const RgbaImage& image) {
  std::vector<uint8_t> out(image.pixels.size());
  for (size_t i = 0; i + 3 < image.pixels.size(); i += 4) {
    const unsigned a = image.pixels[i + 3];
    // c * a / 255 never lies exactly halfway between two integers, so adding 127 before the
    // division rounds to the nearest.
    out[i + 0] = static_cast<uint8_t>((image.pixels[i + 2] * a + 127) / 255);
    out[i + 1] = static_cast<uint8_t>((image.pixels[i + 1] * a + 127) / 255);
    out[i + 2] = static_cast<uint8_t>((image.pixels[i + 0] * a + 127) / 255);
    out[i + 3] = static_cast<uint8_t>(a);
  }
  return out;
}

LayeredBitmap::LayeredBitmap(const RgbaImage& image) {
  if (image.Empty() || image.pixels.size() != size_t{image.width} * image.height * 4 ||
      image.width > kPngMaxSide || image.height > kPngMaxSide) {
    return;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(image.width);
  info.bmiHeader.biHeight = -static_cast<LONG>(image.height);  // negative: rows top to bottom
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  ScopedHandle<GdiBitmapTraits> bitmap(
      CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return;
  const std::vector<uint8_t> bgra = ToPremultipliedBgra(image);
  std::memcpy(bits, bgra.data(), bgra.size());
  GdiFlush();  // GDI may batch; the bits must be in place before the bitmap is used
  bitmap_ = std::move(bitmap);
  width_ = static_cast<int>(image.width);
  height_ = static_cast<int>(image.height);
}

bool LayeredBitmap::ApplyTo(HWND window, int opacity) const {
  if (!Valid() || !IsWindow(window)) return false;
  const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
  if (!(exStyle & WS_EX_LAYERED)) SetWindowLongPtrA(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);

  ScreenDc screen;
  if (!screen.Get()) return false;
  MemoryDc source(screen.Get());
  if (!source.Get()) return false;
  Selection selected(source.Get(), bitmap_.Get());
  if (!selected.Ok()) return false;

  SIZE size{width_, height_};
  POINT sourceOrigin{0, 0};
  BLENDFUNCTION blend{};
  blend.BlendOp = AC_SRC_OVER;
  blend.SourceConstantAlpha = static_cast<BYTE>(std::clamp(opacity, 0, 255));
  blend.AlphaFormat = AC_SRC_ALPHA;
  // No destination DC and no new position: the window stays where it is.
  return UpdateLayeredWindow(window, nullptr, nullptr, &size, source.Get(), &sourceOrigin, 0,
                             &blend, ULW_ALPHA) != FALSE;
}

}  // namespace qv
