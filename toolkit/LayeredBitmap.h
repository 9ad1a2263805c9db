// Per-pixel-alpha pictures for layered windows: the conversion of a decoded RGBA picture to
// premultiplied BGRA, a 32-bit top-down DIB section holding it, and the call that makes it
// the whole look of a window (UpdateLayeredWindow with ULW_ALPHA).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "toolkit/PngReader.h"
#include "util/Handles.h"

namespace qv {

// Premultiplied BGRA, rows top to bottom, the pixel form layered windows blend with: each
// colour channel becomes c * a / 255 rounded to the nearest integer; alpha stays.
std::vector<uint8_t> ToPremultipliedBgra(const RgbaImage& image);

struct GdiBitmapTraits {
  using Handle = HBITMAP;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};

class LayeredBitmap {
 public:
  LayeredBitmap() = default;
  // Builds the DIB section from the picture; stays empty for an empty picture or when GDI
  // cannot make the bitmap.
  explicit LayeredBitmap(const RgbaImage& image);

  bool Valid() const { return bitmap_.Valid(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  HBITMAP Handle() const { return bitmap_.Get(); }

  // Makes the bitmap the window's whole look: the window keeps its position, takes the
  // bitmap's size, and shows each pixel with its own alpha times opacity / 255 (opacity is
  // clamped to 0..255). Gives the window WS_EX_LAYERED when it lacks it, since the call
  // fails without. False when the bitmap is empty or the system refuses.
  bool ApplyTo(HWND window, int opacity) const;

 private:
  ScopedHandle<GdiBitmapTraits> bitmap_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace qv
