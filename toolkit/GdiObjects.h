// Move-only owners for the GDI objects the controls paint with (fonts, brushes, pens, bitmaps,
// device contexts), and a double-buffered paint scope so that custom-painted windows never
// flicker while they repaint.
#pragma once

#include <windows.h>

#include <utility>

#include "util/Handles.h"

namespace qv {

template <typename T>
struct GdiObjectTraits {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};

using UniqueFont = ScopedHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = ScopedHandle<GdiObjectTraits<HBRUSH>>;
using UniquePen = ScopedHandle<GdiObjectTraits<HPEN>>;
using UniqueGdiBitmap = ScopedHandle<GdiObjectTraits<HBITMAP>>;

struct MemoryDCTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DeleteDC(h); }
};
using MemoryDC = ScopedHandle<MemoryDCTraits>;

// GetDC / ReleaseDC of one window.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a DC for the scope and puts the previous one back.
class SelectObjectScope {
 public:
  SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  ~SelectObjectScope() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// BeginPaint/EndPaint with an off-screen bitmap of the client size: paint into Dc(), the
// destructor copies the result to the window in one step.
class BufferedPaint {
 public:
  explicit BufferedPaint(HWND window);
  ~BufferedPaint();
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;

  HDC Dc() const { return memory_.Valid() ? memory_.Get() : paint_.hdc; }
  const RECT& Client() const { return client_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  RECT client_{};
  MemoryDC memory_;
  UniqueGdiBitmap bitmap_;
  HGDIOBJ oldBitmap_ = nullptr;
};

}  // namespace qv
