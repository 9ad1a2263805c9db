// The PNG reader: every colour type and bit depth against explicit pixels, hand-made filter and
// interlace data, round trips through every filter with and without Adam7, and a table of
// broken files that must each be refused with an error text. Portable: it also runs natively
// under sanitizers (tests/native).
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>

#include "tests/toolkit/png_encoder.h"
#include "toolkit/PngReader.h"

namespace qv {
namespace {

using test::Be32;
using test::Bytes;
using test::Compress;
using test::EncodePng;
using test::IhdrBody;
using test::kPngSignature;
using test::PngChunk;
using test::PngFile;
using test::PngSpec;

using Pixel = std::array<uint8_t, 4>;

Pixel Grey(uint8_t v, uint8_t a = 255) { return {v, v, v, a}; }

std::vector<Pixel> Pixels(const RgbaImage& image) {
  std::vector<Pixel> out(image.pixels.size() / 4);
  std::memcpy(out.data(), image.pixels.data(), out.size() * 4);
  return out;
}

std::string Plte(std::initializer_list<int> rgb) { return PngChunk("PLTE", Bytes(rgb)); }
std::string Trns(std::initializer_list<int> bytes) { return PngChunk("tRNS", Bytes(bytes)); }

::testing::AssertionResult Decodes(const std::string& file, uint32_t width, uint32_t height,
                                   const std::vector<Pixel>& expected) {
  const PngResult r = DecodePng(file);
  if (!r.ok) return ::testing::AssertionFailure() << "refused: " << r.error;
  if (!r.error.empty()) return ::testing::AssertionFailure() << "error text on success";
  if (r.image.width != width || r.image.height != height)
    return ::testing::AssertionFailure() << "size " << r.image.width << "x" << r.image.height;
  const std::vector<Pixel> got = Pixels(r.image);
  if (got.size() != expected.size())
    return ::testing::AssertionFailure() << got.size() << " pixels";
  for (size_t i = 0; i < got.size(); ++i) {
    if (got[i] != expected[i]) {
      return ::testing::AssertionFailure()
             << "pixel " << i << " is " << int(got[i][0]) << "," << int(got[i][1]) << ","
             << int(got[i][2]) << "," << int(got[i][3]) << " instead of " << int(expected[i][0])
             << "," << int(expected[i][1]) << "," << int(expected[i][2]) << ","
             << int(expected[i][3]);
    }
  }
  return ::testing::AssertionSuccess();
}

// Names the first differing byte instead of printing both pictures.
::testing::AssertionResult SameBytes(const std::vector<uint8_t>& got,
                                     const std::vector<uint8_t>& expected) {
  if (got.size() != expected.size())
    return ::testing::AssertionFailure() << got.size() << " bytes instead of " << expected.size();
  for (size_t i = 0; i < got.size(); ++i) {
    if (got[i] != expected[i]) {
      return ::testing::AssertionFailure() << "byte " << i << " (pixel " << i / 4 << ") is "
                                           << int(got[i]) << " instead of " << int(expected[i]);
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(DecodePng, EveryColourTypeAndBitDepthGivesTheExpectedPixels) {
  const std::string palette4 = Plte({255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 8, 7});
  struct Case {
    const char* name;
    int colourType, depth;
    uint32_t width;
    std::vector<uint16_t> samples;
    std::string extraChunks;
    std::vector<Pixel> expected;
    // clang-format off
  } cases[] = {
      // Low depths pack several pixels per byte (first pixel in the high bits) and spread
      // their values over 0..255; widths leave a partly used last byte.
      {"grey 1", 0, 1, 10, {1, 0, 0, 1, 1, 0, 1, 0, 0, 1}, "",
       {Grey(255), Grey(0), Grey(0), Grey(255), Grey(255), Grey(0), Grey(255), Grey(0), Grey(0),
        Grey(255)}},
      {"grey 2", 0, 2, 5, {0, 1, 2, 3, 2}, "",
       {Grey(0), Grey(85), Grey(170), Grey(255), Grey(170)}},
      {"grey 4", 0, 4, 3, {0, 7, 15}, "", {Grey(0), Grey(119), Grey(255)}},
      {"grey 8", 0, 8, 3, {0, 100, 255}, "", {Grey(0), Grey(100), Grey(255)}},
      {"grey 16 keeps the high byte", 0, 16, 2, {0x1234, 0xFF01}, "", {Grey(0x12), Grey(0xFF)}},
      // A colour key matches the sample at its full depth, not its 8-bit value.
      {"grey 2 with key", 0, 2, 4, {0, 1, 2, 3}, Trns({0, 2}),
       {Grey(0), Grey(85), Grey(170, 0), Grey(255)}},
      {"grey 8 with key", 0, 8, 2, {100, 101}, Trns({0, 100}), {Grey(100, 0), Grey(101)}},
      {"grey 16 with key", 0, 16, 2, {0x1234, 0x12FF}, Trns({0x12, 0x34}),
       {Grey(0x12, 0), Grey(0x12)}},
      {"rgb 8", 2, 8, 2, {1, 2, 3, 250, 251, 252}, "", {{1, 2, 3, 255}, {250, 251, 252, 255}}},
      {"rgb 16", 2, 16, 1, {0x1122, 0x3344, 0x5566}, "", {{0x11, 0x33, 0x55, 255}}},
      {"rgb 8 with key", 2, 8, 3, {1, 2, 3, 1, 2, 4, 3, 2, 1}, Trns({0, 1, 0, 2, 0, 3}),
       {{1, 2, 3, 0}, {1, 2, 4, 255}, {3, 2, 1, 255}}},
      {"rgb 16 with key", 2, 16, 2, {0x0100, 0x0200, 0x0300, 0x0101, 0x0200, 0x0300},
       Trns({1, 0, 2, 0, 3, 0}), {{1, 2, 3, 0}, {1, 2, 3, 255}}},
      {"rgb with a suggested palette", 2, 8, 1, {7, 8, 9}, Plte({1, 1, 1}), {{7, 8, 9, 255}}},
      {"palette 1", 3, 1, 9, {0, 1, 1, 0, 1, 0, 0, 0, 1}, Plte({10, 20, 30, 40, 50, 60}),
       {{10, 20, 30, 255}, {40, 50, 60, 255}, {40, 50, 60, 255}, {10, 20, 30, 255},
        {40, 50, 60, 255}, {10, 20, 30, 255}, {10, 20, 30, 255}, {10, 20, 30, 255},
        {40, 50, 60, 255}}},
      {"palette 2", 3, 2, 5, {3, 2, 1, 0, 3}, palette4,
       {{9, 8, 7, 255}, {0, 0, 255, 255}, {0, 255, 0, 255}, {255, 0, 0, 255}, {9, 8, 7, 255}}},
      // A tRNS shorter than the palette leaves the remaining entries opaque.
      {"palette 4 with alphas", 3, 4, 4, {0, 1, 2, 3}, palette4 + Trns({0, 128}),
       {{255, 0, 0, 0}, {0, 255, 0, 128}, {0, 0, 255, 255}, {9, 8, 7, 255}}},
      {"palette 8 with alphas", 3, 8, 2, {3, 0}, palette4 + Trns({1, 2, 3, 4}),
       {{9, 8, 7, 4}, {255, 0, 0, 1}}},
      {"grey+alpha 8", 4, 8, 2, {10, 20, 255, 0}, "", {Grey(10, 20), Grey(255, 0)}},
      {"grey+alpha 16", 4, 16, 1, {0xABCD, 0x12FF}, "", {Grey(0xAB, 0x12)}},
      {"rgba 8", 6, 8, 2, {1, 2, 3, 4, 255, 254, 253, 0}, "", {{1, 2, 3, 4}, {255, 254, 253, 0}}},
      {"rgba 16", 6, 16, 1, {0x0102, 0x0304, 0x0506, 0x0708}, "", {{1, 3, 5, 7}}},
      {"rgba ignores tRNS", 6, 8, 1, {1, 2, 3, 4}, Trns({0, 1, 0, 2, 0, 3}), {{1, 2, 3, 4}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PngSpec spec;
    spec.width = c.width;
    spec.colourType = c.colourType;
    spec.depth = c.depth;
    spec.samples = c.samples;
    spec.extraChunks = c.extraChunks;
    EXPECT_TRUE(Decodes(EncodePng(spec), c.width, 1, c.expected));
  }
}

TEST(DecodePng, HandMadeRowsUndoEachFilter) {
  // 2 x 4 grey, one filter per row, bytes worked out by hand: Sub, Average (rounding down),
  // Paeth where a and c tie (a must win) and Up.
  const std::string raw = Bytes({1, 10, 1, 3, 3, 0, 4, 254, 100, 2, 1, 1});
  EXPECT_TRUE(
      Decodes(PngFile(IhdrBody(2, 4, 8, 0), "", Compress(raw)), 2, 4,
              {Grey(10), Grey(11), Grey(8), Grey(9), Grey(6), Grey(106), Grey(7), Grey(107)}));
}

TEST(DecodePng, HandMadeAdam7PassesLandOnTheirPixels) {
  // 3 x 3 grey, interlaced: passes 2 and 3 are empty, the others hold (row-major names
  // a..i) a | c | g i | b | h | d e f, each row behind a "none" filter byte.
  const std::string raw = Bytes({0, 10, 0, 30, 0, 70, 90, 0, 20, 0, 80, 0, 40, 50, 60});
  EXPECT_TRUE(Decodes(
      PngFile(IhdrBody(3, 3, 8, 0, 1), "", Compress(raw)), 3, 3,
      {Grey(10), Grey(20), Grey(30), Grey(40), Grey(50), Grey(60), Grey(70), Grey(80), Grey(90)}));
}

// Every filter, mixed filters per row and Adam7 must give the same pixels as the plain
// encoding, for pixel sizes of less than a byte, 1, 3, 4 and 8 bytes (the filters' stride),
// and for sizes that leave Adam7 passes empty or partial.
TEST(DecodePng, EveryFilterAndInterlacingGiveTheSamePicture) {
  struct Format {
    int colourType, depth;
  } formats[] = {{0, 2}, {3, 4}, {0, 8}, {2, 8}, {6, 8}, {6, 16}};
  struct Size {
    uint32_t width, height;
  } sizes[] = {{1, 1}, {2, 3}, {5, 5}, {7, 9}, {8, 8}, {9, 1}, {13, 11}, {33, 4}};
  std::mt19937 random(1234);
  for (const Format& f : formats) {
    for (const Size& s : sizes) {
      SCOPED_TRACE(testing::Message() << "type " << f.colourType << " depth " << f.depth << " size "
                                      << s.width << "x" << s.height);
      PngSpec spec;
      spec.width = s.width;
      spec.height = s.height;
      spec.colourType = f.colourType;
      spec.depth = f.depth;
      if (f.colourType == 3) {
        std::string rgb;
        for (int i = 0; i < 16 * 3; ++i) rgb += static_cast<char>(random());
        spec.extraChunks = PngChunk("PLTE", rgb);
      }
      const uint32_t top = (1u << f.depth) - 1;
      for (size_t i = 0; i < size_t{s.width} * s.height * test::PngChannels(f.colourType); ++i)
        spec.samples.push_back(static_cast<uint16_t>(random() & top));

      const PngResult plain = DecodePng(EncodePng(spec));
      ASSERT_TRUE(plain.ok) << plain.error;
      if (f.colourType == 6 && f.depth == 8) {
        ASSERT_TRUE(SameBytes(plain.image.pixels,
                              std::vector<uint8_t>(spec.samples.begin(), spec.samples.end())));
      }
      for (bool interlaced : {false, true}) {
        for (int filter : {0, 1, 2, 3, 4, test::kMixedFilters}) {
          SCOPED_TRACE(testing::Message() << "filter " << filter << " interlaced " << interlaced);
          spec.filter = filter;
          spec.interlaced = interlaced;
          const PngResult r = DecodePng(EncodePng(spec));
          ASSERT_TRUE(r.ok) << r.error;
          EXPECT_TRUE(SameBytes(r.image.pixels, plain.image.pixels));
        }
      }
    }
  }
}

TEST(DecodePng, ChunkLayoutThatIsAllowedIsAccepted) {
  PngSpec spec;
  spec.width = 3;
  spec.height = 2;
  spec.samples = {1, 2, 3, 4, 5, 6};
  const std::vector<Pixel> expected = {Grey(1), Grey(2), Grey(3), Grey(4), Grey(5), Grey(6)};
  const std::string ihdr = IhdrBody(3, 2, 8, 0);
  const std::string data = Compress(test::RawImageData(spec));
  const std::string ancillary = PngChunk("qvTs", "skipped") + PngChunk("gAMA", Be32(45455));
  std::string oneByteChunks;
  for (char byte : data) oneByteChunks += PngChunk("IDAT", std::string(1, byte));

  struct Case {
    const char* name;
    std::string file;
  } cases[] = {
      {"ancillary chunks before and after the image data", kPngSignature + PngChunk("IHDR", ihdr) +
                                                               ancillary + PngChunk("IDAT", data) +
                                                               ancillary + PngChunk("IEND", "")},
      {"image data split into one-byte chunks",
       kPngSignature + PngChunk("IHDR", ihdr) + oneByteChunks + PngChunk("IEND", "")},
      {"zero-length IDAT among others", kPngSignature + PngChunk("IHDR", ihdr) +
                                            PngChunk("IDAT", "") + PngChunk("IDAT", data) +
                                            PngChunk("IEND", "")},
      {"bytes after IEND", PngFile(ihdr, "", data) + "trailing garbage"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(Decodes(c.file, 3, 2, expected));
  }
}

// A file with every kind of chunk the reader looks at: interlaced palette with alphas and
// an ancillary chunk.
std::string RichFile() {
  PngSpec spec;
  spec.width = 5;
  spec.height = 3;
  spec.colourType = 3;
  spec.depth = 2;
  spec.interlaced = true;
  spec.filter = test::kMixedFilters;
  spec.samples = {0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2};
  spec.extraChunks =
      Plte({1, 2, 3, 4, 5, 6, 7, 8, 9}) + Trns({0, 99}) + PngChunk("tEXt", std::string("a\0b", 3));
  return EncodePng(spec);
}

TEST(DecodePng, EveryTruncationIsRefused) {
  const std::string file = RichFile();
  ASSERT_TRUE(DecodePng(file).ok);
  for (size_t length = 0; length < file.size(); ++length) {
    SCOPED_TRACE(length);
    const PngResult r = DecodePng(file.substr(0, length));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_TRUE(r.image.pixels.empty());
  }
  EXPECT_FALSE(DecodePng(nullptr, 0).ok);
}

TEST(DecodePng, ABadCrcInAnyChunkIsRefused) {
  const std::string file = RichFile();
  for (size_t pos = 8; pos < file.size();) {
    const uint32_t length =
        static_cast<uint8_t>(file[pos]) << 24 | static_cast<uint8_t>(file[pos + 1]) << 16 |
        static_cast<uint8_t>(file[pos + 2]) << 8 | static_cast<uint8_t>(file[pos + 3]);
    const std::string name = file.substr(pos + 4, 4);
    SCOPED_TRACE(name);
    std::string broken = file;
    broken[pos + 8 + length + 3] ^= 1;
    const PngResult r = DecodePng(broken);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "CRC error in chunk " + name);
    pos += 12 + length;
  }
}

TEST(DecodePng, BrokenOrHostileFilesAreRefusedWithAReason) {
  const std::string grey2x2 = IhdrBody(2, 2, 8, 0);
  const std::string rows2x2 = Bytes({0, 1, 2, 0, 3, 4});
  const std::string data2x2 = Compress(rows2x2);
  const std::string iend = PngChunk("IEND", "");
  auto withHeader = [&](const std::string& ihdr) { return PngFile(ihdr, "", data2x2); };
  auto badRaw = [&](const std::string& raw) { return PngFile(grey2x2, "", Compress(raw)); };
  const std::string cutStream = data2x2.substr(0, data2x2.size() - 6);
  std::string badChecksum = data2x2;
  badChecksum.back() ^= 0x40;
  std::string badSignature = PngFile(grey2x2, "", data2x2);
  badSignature[1] = 'Q';

  struct Case {
    const char* name;
    std::string file;
    const char* error;
  } cases[] = {
      {"empty input", "", "bad signature"},
      {"bad signature", badSignature, "bad signature"},
      {"signature only", kPngSignature, "truncated"},
      {"first chunk not IHDR", kPngSignature + PngChunk("IDAT", data2x2) + iend, "IHDR"},
      {"second IHDR", PngFile(grey2x2, PngChunk("IHDR", grey2x2), data2x2), "more than one IHDR"},
      {"short IHDR", withHeader(grey2x2.substr(0, 12)), "IHDR chunk has the wrong length"},
      {"zero width", withHeader(IhdrBody(0, 2, 8, 0)), "zero width"},
      {"zero height", withHeader(IhdrBody(2, 0, 8, 0)), "zero width"},
      {"width over the limit", withHeader(IhdrBody(16385, 1, 8, 0)), "too large"},
      {"height over the limit", withHeader(IhdrBody(1, 16385, 8, 0)), "too large"},
      {"width with the top bit set", withHeader(IhdrBody(0x80000001, 1, 8, 0)), "too large"},
      {"too many pixels", withHeader(IhdrBody(16384, 4097, 8, 0)), "too large"},
      {"colour type 1", withHeader(IhdrBody(2, 2, 8, 1)), "colour type"},
      {"colour type 7", withHeader(IhdrBody(2, 2, 8, 7)), "colour type"},
      {"grey depth 3", withHeader(IhdrBody(2, 2, 3, 0)), "bit depth"},
      {"rgb depth 4", withHeader(IhdrBody(2, 2, 4, 2)), "bit depth"},
      {"palette depth 16", withHeader(IhdrBody(2, 2, 16, 3)), "bit depth"},
      {"compression method 1", withHeader(IhdrBody(2, 2, 8, 0, 0, 1)), "compression"},
      {"filter method 1", withHeader(IhdrBody(2, 2, 8, 0, 0, 0, 1)), "filter method"},
      {"interlace method 2", withHeader(IhdrBody(2, 2, 8, 0, 2)), "interlace"},
      {"chunk length over 2^31",
       kPngSignature + PngChunk("IHDR", grey2x2) + Be32(0xFFFFFFFF) + "IDAT" + data2x2,
       "length is out of range"},
      {"chunk longer than the file",
       kPngSignature + PngChunk("IHDR", grey2x2) + Be32(1000) + "IDAT" + data2x2 + iend,
       "truncated"},
      {"chunk type not letters", PngFile(grey2x2, PngChunk("tE#t", ""), data2x2),
       "invalid chunk type"},
      {"unknown critical chunk", PngFile(grey2x2, PngChunk("QVXX", ""), data2x2),
       "critical chunk QVXX"},
      {"no IDAT", kPngSignature + PngChunk("IHDR", grey2x2) + iend, "no image data"},
      {"only a zero-length IDAT", PngFile(grey2x2, "", ""), "no image data"},
      {"IDAT chunks apart",
       kPngSignature + PngChunk("IHDR", grey2x2) + PngChunk("IDAT", data2x2.substr(0, 4)) +
           PngChunk("tEXt", "x") + PngChunk("IDAT", data2x2.substr(4)) + iend,
       "not consecutive"},
      {"no IEND", kPngSignature + PngChunk("IHDR", grey2x2) + PngChunk("IDAT", data2x2), "no IEND"},
      {"palette picture without PLTE", PngFile(IhdrBody(2, 2, 8, 3), "", data2x2), "without PLTE"},
      {"PLTE in a grey picture", PngFile(grey2x2, Plte({1, 2, 3}), data2x2),
       "PLTE chunk in a greyscale"},
      {"PLTE of 4 bytes", PngFile(IhdrBody(2, 2, 8, 3), PngChunk("PLTE", "abcd"), data2x2),
       "PLTE chunk has a bad length"},
      {"PLTE larger than the depth allows",
       PngFile(IhdrBody(2, 2, 1, 3), Plte({1, 1, 1, 2, 2, 2, 3, 3, 3}),
               Compress(Bytes({0, 0x40, 0, 0x80}))),
       "more entries than the bit depth"},
      {"PLTE after the image data",
       kPngSignature + PngChunk("IHDR", IhdrBody(2, 2, 8, 2)) +
           PngChunk("IDAT", Compress(std::string(14, '\0'))) + Plte({1, 2, 3}) + iend,
       "PLTE chunk after"},
      {"tRNS before PLTE", PngFile(IhdrBody(2, 2, 8, 3), Trns({0}) + Plte({1, 2, 3}), data2x2),
       "tRNS chunk before PLTE"},
      {"tRNS longer than the palette",
       PngFile(IhdrBody(2, 2, 8, 3), Plte({1, 2, 3}) + Trns({0, 0}), data2x2),
       "more entries than the palette"},
      {"grey tRNS of 6 bytes", PngFile(grey2x2, Trns({0, 1, 0, 2, 0, 3}), data2x2),
       "tRNS chunk has a bad length"},
      {"palette index past the palette",
       PngFile(IhdrBody(2, 2, 8, 3), Plte({1, 2, 3, 4, 5, 6}), Compress(Bytes({0, 0, 1, 0, 1, 2}))),
       "palette index out of range"},
      {"filter byte 5", badRaw(Bytes({0, 1, 2, 5, 3, 4})), "invalid row filter type 5"},
      {"image data one row short", badRaw(Bytes({0, 1, 2})), "shorter"},
      {"image data one byte short", badRaw(Bytes({0, 1, 2, 0, 3})), "shorter"},
      {"image data one byte long", badRaw(Bytes({0, 1, 2, 0, 3, 4, 5})), "longer"},
      {"compressed stream cut off", PngFile(grey2x2, "", cutStream), "truncated"},
      {"compressed stream without its checksum",
       PngFile(grey2x2, "", data2x2.substr(0, data2x2.size() - 4)), "truncated"},
      {"compressed stream with a bad checksum", PngFile(grey2x2, "", badChecksum), "corrupt"},
      {"not compressed data", PngFile(grey2x2, "", "this is not zlib"), "corrupt"},
      // 64 MiB of zeros for a 2 x 2 picture: inflating stops at the picture's size.
      {"decompression bomb", PngFile(grey2x2, "", Compress(rows2x2 + std::string(64 << 20, '\0'))),
       "longer"},
      // The largest picture allowed, announced by a header over a few bytes of data: the
      // reader must not take the header's word for the memory it needs.
      {"largest picture with tiny data", withHeader(IhdrBody(16384, 4096, 8, 6)), "shorter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PngResult r = DecodePng(c.file);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
    EXPECT_TRUE(r.image.Empty());
  }
}

}  // namespace
}  // namespace qv
