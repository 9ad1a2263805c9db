// The skin text and the .skn container: what goes in comes back out, missing entries keep the
// built-in look, and every malformed text or file is refused with a reason instead of being
// half applied.
#include "toolkit/SkinFormat.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace qv {
namespace {

const char kMinimalText[] = "[Skin]\r\nMagic=QVSKIN\r\nVersion=1\r\nName=Plain\r\n";

SkinDescription SampleSkin() {
  SkinDescription skin;
  skin.name = "Graphite Test";
  skin.style = DefaultSkinStyle();
  skin.style.formColor = RGBColor(0x2B, 0x2E, 0x33);
  skin.style.captionColor = RGBColor(0x01, 0x02, 0x03);
  skin.style.buttonHot = RGBColor(0xFE, 0x80, 0x0A);
  skin.style.glowColor = RGBColor(0x10, 0x20, 0x30);
  skin.style.messageTextColor = RGBColor(0xAB, 0xCD, 0xEF);
  skin.style.font = SkinFont{"Verdana", 15, true};
  return skin;
}

// A .skn file with any header over any compressed bytes.
std::string SkinFile(uint32_t declaredSize, const std::string& packed, uint8_t version = 1,
                     const std::string& magic = "QVSKN") {
  std::string bytes = magic.substr(0, 5);
  bytes.resize(5, '\0');
  bytes += static_cast<char>(version);
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((declaredSize >> (8 * i)) & 0xFF);
  return bytes + packed;
}

std::string Deflate(const std::string& text) {
  uLongf size = compressBound(static_cast<uLong>(text.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size,
            reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()), 9);
  out.resize(size);
  return out;
}

TEST(SkinFormat, TextAndFileRoundTripEveryEntry) {
  const SkinDescription skin = SampleSkin();
  const std::string text = SkinText(skin);
  EXPECT_EQ(ParseSkinText(text), skin);
  EXPECT_EQ(DecodeSkinFile(CompressSkinText(text)), skin);
  EXPECT_EQ(DecompressSkinText(CompressSkinText(text)), text);
  // The written text is readable as such.
  EXPECT_NE(text.find("[Button]\r\nFace=#"), std::string::npos);
  EXPECT_NE(text.find("Hot=#FE800A"), std::string::npos);
  EXPECT_NE(text.find("Font=Verdana,15,bold"), std::string::npos);
}

TEST(SkinFormat, MissingEntriesKeepTheBuiltInLookAndSpellingIsLenient) {
  SkinDescription plain = ParseSkinText(kMinimalText);
  EXPECT_EQ(plain.name, "Plain");
  EXPECT_EQ(plain.style, DefaultSkinStyle());

  const SkinDescription some = ParseSkinText(std::string(kMinimalText) +
                                             "; a comment\n[button]\nface = #a0b1C2\n"
                                             "[Form]\nFont= Arial , 14 , Normal\n"
                                             "[Unknown]\nWhatever=1\n");
  EXPECT_EQ(some.style.buttonFace, RGBColor(0xA0, 0xB1, 0xC2));
  EXPECT_EQ(some.style.font, (SkinFont{"Arial", 14, false}));
  EXPECT_EQ(some.style.panelColor, DefaultSkinStyle().panelColor);
}

TEST(SkinFormat, RefusesMalformedTexts) {
  const std::string head = "[Skin]\nMagic=QVSKIN\nVersion=1\n";
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"no magic", "[Skin]\nVersion=1\n"},
      {"wrong magic", "[Skin]\nMagic=QVSKIM\nVersion=1\n"},
      {"magic outside its section", "[Form]\nMagic=QVSKIN\nVersion=1\n"},
      {"no version", "[Skin]\nMagic=QVSKIN\n"},
      {"newer version", "[Skin]\nMagic=QVSKIN\nVersion=2\n"},
      {"version not a number", "[Skin]\nMagic=QVSKIN\nVersion=1a\n"},
      {"colour without #", head + "[Form]\nColor=FF0000\n"},
      {"colour too short", head + "[Form]\nColor=#FF000\n"},
      {"colour too long", head + "[Panel]\nColor=#FF00000\n"},
      {"colour not hex", head + "[Button]\nFace=#GG0000\n"},
      {"colour by name", head + "[Label]\nText=red\n"},
      {"empty colour", head + "[Gauge]\nTrack=\n"},
      {"font without height", head + "[Form]\nFont=Tahoma\n"},
      {"font height not a number", head + "[Form]\nFont=Tahoma,big\n"},
      {"font too small", head + "[Form]\nFont=Tahoma,5\n"},
      {"font too large", head + "[Form]\nFont=Tahoma,73\n"},
      {"font negative", head + "[Form]\nFont=Tahoma,-13\n"},
      {"font weight unknown", head + "[Form]\nFont=Tahoma,13,italic\n"},
      {"font without face", head + "[Form]\nFont=,13\n"},
      {"font face too long", head + "[Form]\nFont=" + std::string(32, 'F') + ",13\n"},
      {"font with extra parts", head + "[Form]\nFont=Tahoma,13,bold,4\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THROW(ParseSkinText(c.text), ESkinFormatError);
  }
}

TEST(SkinFormat, RefusesMalformedFiles) {
  const std::string text = kMinimalText;
  const std::string packed = Deflate(text);
  const auto size = static_cast<uint32_t>(text.size());
  // Decompresses to 4 MiB while claiming a small text: refused after size + 1 bytes.
  const std::string bomb = Deflate(std::string(4u << 20, ' '));
  std::string flipped = packed;
  flipped[4] = static_cast<char>(flipped[4] ^ 0x55);

  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"header only in part", SkinFile(size, packed).substr(0, 9)},
      {"bad magic", SkinFile(size, packed, 1, "QVSKM")},
      {"plain text", text},
      {"wrong file version", SkinFile(size, packed, 2)},
      {"version zero", SkinFile(size, packed, 0)},
      {"no compressed data", SkinFile(size, "")},
      {"truncated stream", SkinFile(size, packed.substr(0, packed.size() / 2))},
      {"checksum cut off", SkinFile(size, packed.substr(0, packed.size() - 1))},
      {"corrupt stream", SkinFile(size, flipped)},
      {"declared size too small", SkinFile(size - 1, packed)},
      {"declared size too large", SkinFile(size + 1, packed)},
      {"trailing bytes", SkinFile(size, packed + "xyz")},
      {"claims more than 1 MiB", SkinFile((1u << 20) + 1, packed)},
      {"claims 4 GiB", SkinFile(0xFFFFFFFFu, packed)},
      {"bomb", SkinFile(size, bomb)},
      {"bomb claiming the limit", SkinFile(1u << 20, bomb)},
      {"file too large", SkinFile(size, packed + std::string(kMaxSkinFileSize, '\0'))},
      {"text not a skin", SkinFile(5, Deflate("hello"))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THROW(DecodeSkinFile(c.bytes), ESkinFormatError);
  }
  // The unspoilt file decodes.
  EXPECT_EQ(DecodeSkinFile(SkinFile(size, packed)).name, "Plain");
}

}  // namespace
}  // namespace qv
