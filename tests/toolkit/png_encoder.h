// A small PNG writer for the reader's tests: builds each test picture explicitly from samples,
// row filter and interlacing, or chunk by chunk for broken files, so no binary test files are
// needed and every case says what it contains.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace qv::test {

inline const std::string kPngSignature("\x89PNG\r\n\x1a\n", 8);

inline std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

inline std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

// Length, type, body and the CRC over type and body.
inline std::string PngChunk(const std::string& type, const std::string& body) {
  const std::string typed = type + body;
  const uLong crc = crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(typed.data()),
                          static_cast<uInt>(typed.size()));
  return Be32(static_cast<uint32_t>(body.size())) + typed + Be32(static_cast<uint32_t>(crc));
}

inline std::string IhdrBody(uint32_t width, uint32_t height, int depth, int colourType,
                            int interlace = 0, int compression = 0, int filter = 0) {
  return Be32(width) + Be32(height) + Bytes({depth, colourType, compression, filter, interlace});
}

inline std::string Compress(const std::string& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
            static_cast<uLong>(raw.size()), 9);
  out.resize(size);
  return out;
}

inline int PngChannels(int colourType) {
  return colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
}

inline constexpr int kMixedFilters = -1;  // row y of each pass uses filter y % 5

struct PngSpec {
  uint32_t width = 1;
  uint32_t height = 1;
  int depth = 8;
  int colourType = 0;
  std::vector<uint16_t> samples;  // row by row, channel by channel, at the bit depth
  int filter = 0;                 // 0..4 or kMixedFilters
  bool interlaced = false;
  std::string extraChunks;  // complete chunks placed between IHDR and IDAT
};

namespace detail {

inline uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return static_cast<uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Packs the samples of the given pixels (indexes into the picture) into one row of bytes.
inline std::string PackRow(const PngSpec& spec, const std::vector<size_t>& pixels) {
  const int channels = PngChannels(spec.colourType);
  std::string row;
  int bitsUsed = 0;
  for (size_t pixel : pixels) {
    for (int c = 0; c < channels; ++c) {
      const uint16_t v = spec.samples.at(pixel * channels + c);
      if (spec.depth == 16) {
        row += static_cast<char>(v >> 8);
        row += static_cast<char>(v);
      } else if (spec.depth == 8) {
        row += static_cast<char>(v);
      } else {
        if (bitsUsed == 0) row += '\0';
        row.back() = static_cast<char>(row.back() | (v << (8 - spec.depth - bitsUsed)));
        bitsUsed = (bitsUsed + spec.depth) % 8;
      }
    }
  }
  return row;
}

inline std::string FilterRow(int filter, const std::string& row, const std::string& prior,
                             size_t bpp) {
  std::string out(1, static_cast<char>(filter));
  for (size_t i = 0; i < row.size(); ++i) {
    const int x = static_cast<uint8_t>(row[i]);
    const int a = i >= bpp ? static_cast<uint8_t>(row[i - bpp]) : 0;
    const int b = prior.empty() ? 0 : static_cast<uint8_t>(prior[i]);
    const int c = prior.empty() || i < bpp ? 0 : static_cast<uint8_t>(prior[i - bpp]);
    const int predicted = filter == 1   ? a
                          : filter == 2 ? b
                          : filter == 3 ? (a + b) / 2
                          : filter == 4 ? Paeth(a, b, c)
                                        : 0;
    out += static_cast<char>(x - predicted);
  }
  return out;
}

}  // namespace detail

// The filtered scanlines of the picture, before compression.
inline std::string RawImageData(const PngSpec& spec) {
  struct Pass {
    uint32_t x0, y0, dx, dy;
  };
  const std::vector<Pass> passes =
      spec.interlaced ? std::vector<Pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                          {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                      : std::vector<Pass>{{0, 0, 1, 1}};
  const size_t bpp = std::max(1, PngChannels(spec.colourType) * spec.depth / 8);
  std::string raw;
  for (const Pass& pass : passes) {
    std::string prior;
    int rowInPass = 0;
    for (uint32_t y = pass.y0; y < spec.height; y += pass.dy) {
      std::vector<size_t> pixels;
      for (uint32_t x = pass.x0; x < spec.width; x += pass.dx)
        pixels.push_back(size_t{y} * spec.width + x);
      if (pixels.empty()) break;
      const std::string row = detail::PackRow(spec, pixels);
      const int filter = spec.filter == kMixedFilters ? rowInPass % 5 : spec.filter;
      raw += detail::FilterRow(filter, row, prior, bpp);
      prior = row;
      ++rowInPass;
    }
  }
  return raw;
}

inline std::string PngFile(const std::string& ihdrBody, const std::string& middle,
                           const std::string& idat) {
  return kPngSignature + PngChunk("IHDR", ihdrBody) + middle + PngChunk("IDAT", idat) +
         PngChunk("IEND", "");
}

inline std::string EncodePng(const PngSpec& spec) {
  return PngFile(IhdrBody(spec.width, spec.height, spec.depth, spec.colourType, spec.interlaced),
                 spec.extraChunks, Compress(RawImageData(spec)));
}

}  // namespace qv::test
