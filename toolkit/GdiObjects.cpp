// Double-buffered painting for the toolkit's custom-painted windows.
#include "toolkit/GdiObjects.h"

namespace qv {

BufferedPaint::BufferedPaint(HWND window) : window_(window) {
  BeginPaint(window, &paint_);
  GetClientRect(window, &client_);
  const int width = client_.right - client_.left;
  const int height = client_.bottom - client_.top;
  if (paint_.hdc && width > 0 && height > 0) {
    memory_.Reset(CreateCompatibleDC(paint_.hdc));
    bitmap_.Reset(CreateCompatibleBitmap(paint_.hdc, width, height));
    if (memory_.Valid() && bitmap_.Valid()) {
      oldBitmap_ = SelectObject(memory_.Get(), bitmap_.Get());
    } else {
      memory_.Reset();  // paint straight into the window instead
    }
  }
}

BufferedPaint::~BufferedPaint() {
  if (memory_.Valid()) {
    BitBlt(paint_.hdc, 0, 0, client_.right - client_.left, client_.bottom - client_.top,
           memory_.Get(), 0, 0, SRCCOPY);
    SelectObject(memory_.Get(), oldBitmap_);
  }
  EndPaint(window_, &paint_);
}

}  // namespace qv
