// PNG decoding over plain bytes: chunk walk with CRC checks, inflate of the IDAT stream into a
// buffer that never grows past the size the header announces, row unfiltering, Adam7 passes and
// expansion of every colour type and bit depth to RGBA.
#include "toolkit/PngReader.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace qv {
namespace {

// Internal only: thrown where a check fails and turned into PngResult::error by DecodePng.
struct PngFailure {
  std::string text;
};

[[noreturn]] void Fail(std::string text) { throw PngFailure{std::move(text)}; }

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint32_t kMaxChunkLength = 0x7FFFFFFF;  // the format's own limit

// A fuzzer's mutations would almost never get past the checksums; its build (the macro is the
// usual one fuzzing engines set) skips them to reach the code behind.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr bool kSkipChecksums = true;
#else
constexpr bool kSkipChecksums = false;
#endif

uint32_t ReadBe32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

enum ColourType : uint8_t { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };

struct Header {
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t depth = 0;
  uint8_t colourType = 0;
  bool interlaced = false;
};

int Channels(uint8_t colourType) {
  switch (colourType) {
    case kRgb:
      return 3;
    case kGreyAlpha:
      return 2;
    case kRgba:
      return 4;
    default:
      return 1;
  }
}

bool DepthAllowed(uint8_t colourType, uint8_t depth) {
  switch (colourType) {
    case kGrey:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case kPalette:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case kRgb:
    case kGreyAlpha:
    case kRgba:
      return depth == 8 || depth == 16;
    default:
      return false;
  }
}

Header ParseHeader(const uint8_t* p, uint32_t length) {
  if (length != 13) Fail("IHDR chunk has the wrong length");
  Header h;
  h.width = ReadBe32(p);
  h.height = ReadBe32(p + 4);
  h.depth = p[8];
  h.colourType = p[9];
  if (h.width == 0 || h.height == 0) Fail("picture has zero width or height");
  if (h.width > kPngMaxSide || h.height > kPngMaxSide ||
      uint64_t{h.width} * h.height > kPngMaxPixels) {
    Fail("picture is too large (" + std::to_string(h.width) + " x " + std::to_string(h.height) +
         " pixels)");
  }
  if (h.colourType > kRgba || h.colourType == 1 || h.colourType == 5)
    Fail("unknown colour type " + std::to_string(h.colourType));
  if (!DepthAllowed(h.colourType, h.depth)) {
    Fail("bit depth " + std::to_string(h.depth) + " is not allowed with colour type " +
         std::to_string(h.colourType));
  }
  if (p[10] != 0) Fail("unknown compression method");
  if (p[11] != 0) Fail("unknown filter method");
  if (p[12] > 1) Fail("unknown interlace method");
  h.interlaced = p[12] == 1;
  return h;
}

struct Span {
  const uint8_t* data;
  uint32_t size;
};

// Everything the chunk walk collects for the pixel stage.
struct Chunks {
  Header header;
  uint8_t palette[256][4] = {};  // RGBA; alpha from tRNS, otherwise opaque
  uint32_t paletteSize = 0;
  bool hasColourKey = false;  // tRNS for grey or RGB: samples at full bit depth
  uint16_t key[3] = {};
  std::vector<Span> imageData;  // the IDAT chunks in order
};

std::string ChunkName(const uint8_t* type) { return std::string(type, type + 4); }

Chunks WalkChunks(const uint8_t* data, size_t size) {
  if (size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
    Fail("not a PNG file (bad signature)");

  Chunks c;
  bool seenHeader = false, seenPalette = false, seenTransparency = false;
  bool inImageData = false, afterImageData = false;
  size_t pos = sizeof kSignature;
  for (;;) {
    // Length, type and CRC take 12 bytes around the chunk's data.
    if (size - pos < 12) Fail("PNG data is truncated (no IEND chunk)");
    const uint32_t length = ReadBe32(data + pos);
    if (length > kMaxChunkLength) Fail("chunk length is out of range");
    if (length > size - pos - 12) Fail("PNG data is truncated");
    const uint8_t* type = data + pos + 4;
    const uint8_t* body = type + 4;
    for (int i = 0; i < 4; ++i) {
      const bool letter = (type[i] >= 'A' && type[i] <= 'Z') || (type[i] >= 'a' && type[i] <= 'z');
      if (!letter) Fail("invalid chunk type");
    }
    const std::string name = ChunkName(type);
    const uint32_t storedCrc = ReadBe32(body + length);
    if (!kSkipChecksums && crc32(crc32(0, nullptr, 0), type, length + 4) != storedCrc)
      Fail("CRC error in chunk " + name);
    pos += size_t{length} + 12;

    if (!seenHeader && name != "IHDR") Fail("PNG does not start with an IHDR chunk");
    if (inImageData && name != "IDAT") {
      inImageData = false;
      afterImageData = true;
    }
    Header& h = c.header;
    if (name == "IHDR") {
      if (seenHeader) Fail("more than one IHDR chunk");
      h = ParseHeader(body, length);
      seenHeader = true;
    } else if (name == "PLTE") {
      if (seenPalette) Fail("more than one PLTE chunk");
      if (inImageData || afterImageData) Fail("PLTE chunk after the image data");
      if (h.colourType == kGrey || h.colourType == kGreyAlpha)
        Fail("PLTE chunk in a greyscale picture");
      if (length == 0 || length % 3 != 0 || length / 3 > 256) Fail("PLTE chunk has a bad length");
      seenPalette = true;
      // RGB pictures may carry a suggested palette; only palette pictures use it.
      if (h.colourType == kPalette) {
        c.paletteSize = length / 3;
        if (c.paletteSize > (1u << h.depth))
          Fail("PLTE chunk has more entries than the bit depth allows");
        for (uint32_t i = 0; i < c.paletteSize; ++i) {
          c.palette[i][0] = body[3 * i];
          c.palette[i][1] = body[3 * i + 1];
          c.palette[i][2] = body[3 * i + 2];
          c.palette[i][3] = 255;
        }
      }
    } else if (name == "tRNS") {
      if (seenTransparency) Fail("more than one tRNS chunk");
      if (inImageData || afterImageData) Fail("tRNS chunk after the image data");
      seenTransparency = true;
      if (h.colourType == kPalette) {
        if (!seenPalette) Fail("tRNS chunk before PLTE");
        if (length > c.paletteSize) Fail("tRNS chunk has more entries than the palette");
        for (uint32_t i = 0; i < length; ++i) c.palette[i][3] = body[i];
      } else if (h.colourType == kGrey) {
        if (length != 2) Fail("tRNS chunk has a bad length");
        c.key[0] = static_cast<uint16_t>((body[0] << 8) | body[1]);
        c.hasColourKey = true;
      } else if (h.colourType == kRgb) {
        if (length != 6) Fail("tRNS chunk has a bad length");
        for (int i = 0; i < 3; ++i)
          c.key[i] = static_cast<uint16_t>((body[2 * i] << 8) | body[2 * i + 1]);
        c.hasColourKey = true;
      }
      // With an alpha channel the chunk has no meaning; it is skipped.
    } else if (name == "IDAT") {
      if (afterImageData) Fail("IDAT chunks are not consecutive");
      if (h.colourType == kPalette && !seenPalette) Fail("palette picture without PLTE chunk");
      inImageData = true;
      if (length > 0) c.imageData.push_back({body, length});
    } else if (name == "IEND") {
      break;
    } else if ((type[0] & 0x20) == 0) {
      // A lower-case first letter marks a chunk safe to skip; an upper-case one we do not
      // know changes how the picture must be read.
      Fail("unknown critical chunk " + name);
    }
  }
  if (c.imageData.empty()) Fail("PNG has no image data (IDAT)");
  return c;
}

// Closes the inflate stream on every way out.
struct InflateStream {
  z_stream z{};
  InflateStream() {
    if (inflateInit(&z) != Z_OK) Fail("cannot start decompression");
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    inflateValidate(&z, 0);
#endif
  }
  ~InflateStream() { inflateEnd(&z); }
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;
};

// Inflates the concatenated IDAT data into exactly `expected` bytes. The buffer grows with the
// data actually produced, so a short stream behind a large header costs little memory, and
// inflating stops at `expected`: a stream that would give more is refused without inflating
// the rest.
std::vector<uint8_t> InflateImageData(const std::vector<Span>& spans, size_t expected) {
  InflateStream s;
  z_stream& z = s.z;
  size_t nextSpan = 0;
  auto feed = [&]() {
    if (nextSpan == spans.size()) return false;
    z.next_in = const_cast<Bytef*>(spans[nextSpan].data);
    z.avail_in = spans[nextSpan].size;
    ++nextSpan;
    return true;
  };
  auto check = [](int result) {
    if (result == Z_MEM_ERROR) throw std::bad_alloc();
    if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
      Fail("image data is corrupt");
  };

  // No progress possible: either the data ran out or it is broken.
  auto stalled = [&]() {
    if (z.avail_in == 0 && nextSpan == spans.size()) Fail("image data is truncated");
    Fail("image data is corrupt");
  };

  std::vector<uint8_t> out;
  size_t produced = 0;
  bool ended = false;
  while (produced < expected) {
    // inflate may still hold output when its input has run dry, so no data left is not yet
    // an error; a call that cannot progress is.
    if (z.avail_in == 0) feed();
    if (produced == out.size())
      out.resize(std::min(expected, std::max<size_t>(produced * 2, 65536)));
    const size_t room = std::min<size_t>(out.size() - produced, UINT_MAX);
    z.next_out = out.data() + produced;
    z.avail_out = static_cast<uInt>(room);
    const int result = inflate(&z, Z_NO_FLUSH);
    check(result);
    produced += room - z.avail_out;
    if (result == Z_STREAM_END) {
      ended = true;
      break;
    }
    if (result == Z_BUF_ERROR) stalled();
  }
  if (produced < expected) Fail("image data is shorter than the picture needs");

  // Every byte the picture needs is here; the stream must end now, with its checksum.
  while (!ended) {
    if (z.avail_in == 0) feed();
    uint8_t extra;
    z.next_out = &extra;
    z.avail_out = 1;
    const int result = inflate(&z, Z_NO_FLUSH);
    check(result);
    if (z.avail_out == 0) Fail("image data is longer than the picture needs");
    ended = result == Z_STREAM_END;
    if (result == Z_BUF_ERROR) stalled();
  }
  return out;
}

uint8_t PaethPredictor(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = p > a ? p - a : a - p;
  const int pb = p > b ? p - b : b - p;
  const int pc = p > c ? p - c : c - p;
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Undoes the row filter in place; prior is the previous row of the same pass or null.
void Unfilter(uint8_t filter, uint8_t* row, const uint8_t* prior, size_t length, size_t bpp) {
  switch (filter) {
    case 0:
      return;
    case 1:
      for (size_t i = bpp; i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - bpp]);
      return;
    case 2:
      if (prior)
        for (size_t i = 0; i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + prior[i]);
      return;
    case 3:
      for (size_t i = 0; i < length; ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0;
        const int b = prior ? prior[i] : 0;
        row[i] = static_cast<uint8_t>(row[i] + (a + b) / 2);
      }
      return;
    case 4:
      for (size_t i = 0; i < length; ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0;
        const int b = prior ? prior[i] : 0;
        const int c = prior && i >= bpp ? prior[i - bpp] : 0;
        row[i] = static_cast<uint8_t>(row[i] + PaethPredictor(a, b, c));
      }
      return;
    default:
      Fail("invalid row filter type " + std::to_string(filter));
  }
}

// The index-th sample of an unfiltered row, at the picture's bit depth.
uint16_t Sample(const uint8_t* row, size_t index, int depth) {
  if (depth == 8) return row[index];
  if (depth == 16) return static_cast<uint16_t>((row[2 * index] << 8) | row[2 * index + 1]);
  const size_t bit = index * depth;
  const int shift = 8 - depth - static_cast<int>(bit & 7);
  return static_cast<uint16_t>((row[bit >> 3] >> shift) & ((1 << depth) - 1));
}

// Scales a sample to 8 bits: low depths spread over 0..255, 16-bit samples keep the high byte.
uint8_t To8Bits(uint16_t sample, int depth) {
  switch (depth) {
    case 1:
      return static_cast<uint8_t>(sample * 255);
    case 2:
      return static_cast<uint8_t>(sample * 85);
    case 4:
      return static_cast<uint8_t>(sample * 17);
    case 16:
      return static_cast<uint8_t>(sample >> 8);
    default:
      return static_cast<uint8_t>(sample);
  }
}

// Converts one unfiltered row of `count` pixels to RGBA, pixel i going to out + i * step.
void ExpandRow(const Chunks& c, const uint8_t* row, uint32_t count, uint8_t* out, size_t step) {
  const int depth = c.header.depth;
  for (uint32_t i = 0; i < count; ++i, out += step) {
    switch (c.header.colourType) {
      case kGrey: {
        const uint16_t g = Sample(row, i, depth);
        out[0] = out[1] = out[2] = To8Bits(g, depth);
        out[3] = c.hasColourKey && g == c.key[0] ? 0 : 255;
        break;
      }
      case kRgb: {
        const uint16_t r = Sample(row, 3 * size_t{i}, depth);
        const uint16_t g = Sample(row, 3 * size_t{i} + 1, depth);
        const uint16_t b = Sample(row, 3 * size_t{i} + 2, depth);
        out[0] = To8Bits(r, depth);
        out[1] = To8Bits(g, depth);
        out[2] = To8Bits(b, depth);
        out[3] = c.hasColourKey && r == c.key[0] && g == c.key[1] && b == c.key[2] ? 0 : 255;
        break;
      }
      case kPalette: {
        const uint16_t index = Sample(row, i, depth);
        if (index >= c.paletteSize) Fail("palette index out of range");
        std::memcpy(out, c.palette[index], 4);
        break;
      }
      case kGreyAlpha:
        out[0] = out[1] = out[2] = To8Bits(Sample(row, 2 * size_t{i}, depth), depth);
        out[3] = To8Bits(Sample(row, 2 * size_t{i} + 1, depth), depth);
        break;
      default:
        for (int k = 0; k < 4; ++k) out[k] = To8Bits(Sample(row, 4 * size_t{i} + k, depth), depth);
        break;
    }
  }
}

// A pass of the picture: its first pixel and the spacing of its pixels. A plain picture is
// one pass over everything; Adam7 has seven.
struct Pass {
  uint32_t x0, y0, dx, dy;
};
constexpr Pass kWholePicture[1] = {{0, 0, 1, 1}};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

uint32_t PassExtent(uint32_t size, uint32_t start, uint32_t step) {
  return size > start ? (size - start + step - 1) / step : 0;
}

RgbaImage DecodePixels(const Chunks& c) {
  const Header& h = c.header;
  const uint64_t bitsPerPixel = uint64_t{static_cast<uint32_t>(Channels(h.colourType))} * h.depth;
  const size_t bpp = static_cast<size_t>(std::max<uint64_t>(1, bitsPerPixel / 8));
  const Pass* passes = h.interlaced ? kAdam7 : kWholePicture;
  const int passCount = h.interlaced ? 7 : 1;

  // The header's limits keep this well inside size_t: at most 64 Mi pixels of 8 bytes.
  uint64_t expected = 0;
  for (int p = 0; p < passCount; ++p) {
    const uint64_t w = PassExtent(h.width, passes[p].x0, passes[p].dx);
    const uint64_t rows = PassExtent(h.height, passes[p].y0, passes[p].dy);
    if (w > 0) expected += rows * (1 + (w * bitsPerPixel + 7) / 8);  // empty passes have no rows
  }
  std::vector<uint8_t> raw = InflateImageData(c.imageData, static_cast<size_t>(expected));

  RgbaImage image;
  image.width = h.width;
  image.height = h.height;
  image.pixels.resize(size_t{h.width} * h.height * 4);
  size_t offset = 0;
  for (int p = 0; p < passCount; ++p) {
    const Pass& pass = passes[p];
    const uint32_t w = PassExtent(h.width, pass.x0, pass.dx);
    const uint32_t rows = PassExtent(h.height, pass.y0, pass.dy);
    if (w == 0 || rows == 0) continue;
    const size_t rowBytes = static_cast<size_t>((w * bitsPerPixel + 7) / 8);
    const uint8_t* prior = nullptr;
    for (uint32_t y = 0; y < rows; ++y) {
      uint8_t* row = raw.data() + offset + 1;
      Unfilter(raw[offset], row, prior, rowBytes, bpp);
      const size_t firstPixel = (size_t{pass.y0} + size_t{y} * pass.dy) * h.width + pass.x0;
      ExpandRow(c, row, w, image.pixels.data() + firstPixel * 4, size_t{pass.dx} * 4);
      prior = row;
      offset += 1 + rowBytes;
    }
  }
  return image;
}

}  // namespace

PngResult DecodePng(const uint8_t* data, size_t size) {
  PngResult result;
  try {
    if (data == nullptr) size = 0;
    const Chunks chunks = WalkChunks(data, size);
    result.image = DecodePixels(chunks);
    result.ok = true;
  } catch (const PngFailure& failure) {
    result.error = failure.text;
  } catch (const std::bad_alloc&) {
    result.error = "not enough memory for the picture";
  }
  return result;
}

PngResult DecodePng(const std::string& bytes) {
  return DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace qv
