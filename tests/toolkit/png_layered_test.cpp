// Layered-window pictures: the premultiplied conversion checked exactly for every colour and
// alpha, and a real layered popup window shown from a bitmap under the test display.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "toolkit/LayeredBitmap.h"

namespace qv {
namespace {

RgbaImage MakeImage(uint32_t width, uint32_t height, std::vector<uint8_t> pixels) {
  RgbaImage image;
  image.width = width;
  image.height = height;
  image.pixels = std::move(pixels);
  return image;
}

TEST(ToPremultipliedBgra, SwapsToBgraAndRoundsEveryColourAlphaPairToTheNearest) {
  // One pixel per (colour, alpha) pair, with the colour in red and its mirror in blue.
  RgbaImage image = MakeImage(256, 256, {});
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c)
      image.pixels.insert(image.pixels.end(),
                          {uint8_t(c), uint8_t(c / 3), uint8_t(255 - c), uint8_t(a)});
  const std::vector<uint8_t> out = ToPremultipliedBgra(image);
  ASSERT_EQ(out.size(), image.pixels.size());
  int wrong = 0;
  for (size_t i = 0; i < out.size() && wrong < 5; i += 4) {
    const double a = image.pixels[i + 3];
    const uint8_t expected[4] = {uint8_t(std::lround(image.pixels[i + 2] * a / 255)),
                                 uint8_t(std::lround(image.pixels[i + 1] * a / 255)),
                                 uint8_t(std::lround(image.pixels[i] * a / 255)), uint8_t(a)};
    for (int k = 0; k < 4; ++k) {
      if (out[i + k] != expected[k]) {
        ADD_FAILURE() << "pixel " << i / 4 << " channel " << k << ": " << int(out[i + k])
                      << " instead of " << int(expected[k]);
        ++wrong;
      }
    }
  }
  // The same, spelled out for a few pixels: opaque stays, clear goes black, half rounds.
  const RgbaImage few = MakeImage(3, 1, {10, 20, 30, 255, 200, 100, 50, 0, 255, 128, 1, 128});
  EXPECT_EQ(ToPremultipliedBgra(few),
            (std::vector<uint8_t>{30, 20, 10, 255, 0, 0, 0, 0, 1, 64, 128, 128}));
}

class LayeredWindow : public ::testing::Test {
 protected:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }

  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QvLayeredTest";
    RegisterClassA(&wc);  // a second registration in the same process fails harmlessly
  }

  HWND Create(DWORD exStyle) {
    HWND hwnd = CreateWindowExA(exStyle | WS_EX_TOOLWINDOW, "QvLayeredTest", "", WS_POPUP, 40, 50,
                                300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    windows_.push_back(hwnd);
    return hwnd;
  }

  void TearDown() override {
    for (HWND hwnd : windows_) DestroyWindow(hwnd);
  }

  std::vector<HWND> windows_;
};

// The bits GDI holds for the bitmap, read back top-down as 32-bit BGRA.
std::vector<uint8_t> BitmapBits(const LayeredBitmap& bitmap) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = bitmap.Width();
  info.bmiHeader.biHeight = -bitmap.Height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint8_t> bits(size_t(bitmap.Width()) * bitmap.Height() * 4, 0xCC);
  HDC dc = GetDC(nullptr);
  const int lines =
      GetDIBits(dc, bitmap.Handle(), 0, bitmap.Height(), bits.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  return lines == bitmap.Height() ? bits : std::vector<uint8_t>{};
}

TEST_F(LayeredWindow, ShowsThePictureAtTheWindowsPositionWithThePicturesSize) {
  // 4 x 3: opaque red top row, a half-transparent middle row, a clear bottom row.
  const uint8_t rows[3][4] = {{255, 0, 0, 255}, {0, 255, 100, 128}, {9, 9, 9, 0}};
  std::vector<uint8_t> pixels(4 * 3 * 4);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = rows[i / 16][i % 4];
  const RgbaImage image = MakeImage(4, 3, pixels);
  const LayeredBitmap bitmap(image);
  ASSERT_TRUE(bitmap.Valid());
  EXPECT_EQ(bitmap.Width(), 4);
  EXPECT_EQ(bitmap.Height(), 3);
  EXPECT_EQ(BitmapBits(bitmap), ToPremultipliedBgra(image));

  HWND window = Create(WS_EX_LAYERED);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(bitmap.ApplyTo(window, 200));
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.top, 50);
  EXPECT_EQ(rect.right - rect.left, 4);
  EXPECT_EQ(rect.bottom - rect.top, 3);
  // Applying again (a repaint) and with out-of-range opacities works too.
  EXPECT_TRUE(bitmap.ApplyTo(window, 0));
  EXPECT_TRUE(bitmap.ApplyTo(window, 1000));
}

// What the screen shows at (x, y), as R, G, B.
std::array<int, 3> ScreenPixel(int x, int y) {
  HDC dc = GetDC(nullptr);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(nullptr, dc);
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

// Lets the window system catch up: dispatches messages for a while.
void Pump(int milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  MSG msg;
  while (static_cast<int>(end - GetTickCount()) > 0) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
}

TEST_F(LayeredWindow, TheScreenShowsEachPixelBlendedByItsAlphaTimesTheOpacity) {
  // Opaque red, half-transparent green, clear blue, opaque white.
  const RgbaImage image =
      MakeImage(4, 1, {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 255, 255, 255, 255});
  const LayeredBitmap bitmap(image);
  const int left = 1100, top = 900;
  std::array<int, 3> background[4];
  for (int x = 0; x < 4; ++x) background[x] = ScreenPixel(left + x, top);

  HWND window = CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "QvLayeredTest",
                                "", WS_POPUP, left, top, 50, 50, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  windows_.push_back(window);
  ASSERT_NE(window, nullptr);
  for (int opacity : {255, 128}) {
    SCOPED_TRACE(opacity);
    ASSERT_TRUE(bitmap.ApplyTo(window, opacity));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    Pump(300);
    for (int x = 0; x < 4; ++x) {
      const int alpha = image.pixels[x * 4 + 3];
      const std::array<int, 3> shown = ScreenPixel(left + x, top);
      for (int k = 0; k < 3; ++k) {
        // source over: premultiplied colour and coverage both scaled by the opacity
        const double source = image.pixels[x * 4 + k] * alpha / 255.0 * opacity / 255.0;
        const double expected = source + background[x][k] * (1 - alpha * opacity / (255.0 * 255.0));
        EXPECT_NEAR(shown[k], expected, 2.5) << "pixel " << x << " channel " << k;
      }
    }
  }
}

TEST_F(LayeredWindow, AWindowWithoutTheLayeredStyleIsGivenIt) {
  const LayeredBitmap bitmap(MakeImage(1, 1, {1, 2, 3, 4}));
  HWND window = Create(0);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(bitmap.ApplyTo(window, 255));
  EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST_F(LayeredWindow, NothingIsAppliedFromAnEmptyBitmapOrToNoWindow) {
  const LayeredBitmap empty(RgbaImage{});
  EXPECT_FALSE(empty.Valid());
  const LayeredBitmap mismatched(MakeImage(2, 2, {1, 2, 3, 4}));  // too few pixels for 2 x 2
  EXPECT_FALSE(mismatched.Valid());
  HWND window = Create(WS_EX_LAYERED);
  EXPECT_FALSE(empty.ApplyTo(window, 255));

  const LayeredBitmap bitmap(MakeImage(1, 1, {1, 2, 3, 4}));
  HWND gone = Create(WS_EX_LAYERED);
  DestroyWindow(gone);
  EXPECT_FALSE(bitmap.ApplyTo(gone, 255));
  EXPECT_FALSE(bitmap.ApplyTo(nullptr, 255));
}

}  // namespace
}  // namespace qv
