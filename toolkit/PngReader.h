// The toolkit's PNG reader: turns the bytes of a PNG file into 8-bit RGBA pixels with straight
// alpha. It reads untrusted files, so every malformed, truncated or oversized input is refused
// with an error text for the caller to show; it never includes windows.h and builds natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// A decoded picture: width * height * 4 bytes, R G B A per pixel, rows top to bottom.
struct RgbaImage {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> pixels;

  bool Empty() const { return width == 0 || height == 0; }
};

struct PngResult {
  bool ok = false;
  std::string error;  // why the data was refused; empty when ok
  RgbaImage image;    // empty unless ok
};

// Limits that keep a hostile header from making us allocate without bound. Pictures this
// program ships are a few hundred pixels wide, so these leave a wide margin.
inline constexpr uint32_t kPngMaxSide = 16384;                 // width and height each
inline constexpr uint64_t kPngMaxPixels = uint64_t{64} << 20;  // width * height
// Files larger than this are refused before they are read.
inline constexpr uint64_t kPngMaxFileSize = uint64_t{256} << 20;

// Decodes a whole PNG file held in memory. Reads every standard colour type and bit depth,
// palette and tRNS transparency, the five row filters and Adam7 interlacing; 16-bit samples
// give their high byte. Ancillary chunks it does not need are skipped; an unknown critical
// chunk, a bad CRC, a missing IEND or image data that is short, long or corrupt is refused.
// Memory use follows the data actually present: the inflated image data never exceeds the
// size the header announces.
PngResult DecodePng(const uint8_t* data, size_t size);
PngResult DecodePng(const std::string& bytes);

}  // namespace qv
