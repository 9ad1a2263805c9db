// The skin text's entries, their parsing and writing, and the .skn container around the text.
#include "toolkit/SkinFormat.h"

#include <zlib.h>

#include <cstdio>
#include <vector>

#include "util/MemIniFile.h"

namespace qv {

namespace {

// Every colour entry of the text and the style field it fills.
struct ColorEntry {
  const char* section;
  const char* key;
  TColor SkinStyle::*field;
};

constexpr ColorEntry kColorEntries[] = {
    {"Form", "Color", &SkinStyle::formColor},
    {"Form", "Caption", &SkinStyle::captionColor},
    {"Form", "CaptionText", &SkinStyle::captionTextColor},
    {"Form", "Accent", &SkinStyle::accentColor},
    {"Panel", "Color", &SkinStyle::panelColor},
    {"Panel", "Border", &SkinStyle::panelBorder},
    {"Panel", "BevelDark", &SkinStyle::bevelDark},
    {"Panel", "BevelLight", &SkinStyle::bevelLight},
    {"Button", "Face", &SkinStyle::buttonFace},
    {"Button", "Hot", &SkinStyle::buttonHot},
    {"Button", "Pressed", &SkinStyle::buttonPressed},
    {"Button", "Border", &SkinStyle::buttonBorder},
    {"Button", "Text", &SkinStyle::buttonText},
    {"Button", "Glow", &SkinStyle::glowColor},
    {"Label", "Text", &SkinStyle::textColor},
    {"Label", "Subtle", &SkinStyle::subtleTextColor},
    {"Label", "Link", &SkinStyle::linkColor},
    {"Label", "Shadow", &SkinStyle::shadowColor},
    {"Gauge", "Track", &SkinStyle::gaugeTrack},
    {"CheckBox", "Face", &SkinStyle::checkBoxFace},
    {"MessageBox", "Color", &SkinStyle::messageColor},
    {"MessageBox", "Text", &SkinStyle::messageTextColor},
};

constexpr int kMinFontHeight = 6;
constexpr int kMaxFontHeight = 72;
constexpr size_t kMaxFaceLength = 31;  // what a Win32 font description holds

[[noreturn]] void Refuse(const std::string& why) { throw ESkinFormatError(why); }

std::string EntryName(const char* section, const char* key) {
  return std::string("[") + section + "] " + key;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

TColor ParseColor(const std::string& text, const char* section, const char* key) {
  bool ok = text.size() == 7 && text[0] == '#';
  uint8_t rgb[3] = {};
  for (int i = 0; ok && i < 3; ++i) {
    const int high = HexDigit(text[1 + 2 * i]);
    const int low = HexDigit(text[2 + 2 * i]);
    ok = high >= 0 && low >= 0;
    rgb[i] = static_cast<uint8_t>(high * 16 + low);
  }
  if (!ok) Refuse(EntryName(section, key) + ": not a colour #RRGGBB: \"" + text + "\"");
  return RGBColor(rgb[0], rgb[1], rgb[2]);
}

std::string FormatColor(TColor color) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", static_cast<unsigned>(color & 0xFF),
                static_cast<unsigned>((color >> 8) & 0xFF),
                static_cast<unsigned>((color >> 16) & 0xFF));
  return text;
}

std::string Trim(std::string_view s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// A small decimal without sign, or -1.
int ParseSmallNumber(const std::string& text) {
  if (text.empty() || text.size() > 4) return -1;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// "face,height" or "face,height,bold" (or ",normal").
SkinFont ParseFont(const std::string& text, const char* section, const char* key) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    parts.push_back(Trim(std::string_view(text).substr(start, comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  const std::string where = EntryName(section, key) + ": ";
  if (parts.size() < 2 || parts.size() > 3) {
    Refuse(where + "not a font \"face,height[,bold]\": \"" + text + "\"");
  }
  SkinFont font;
  font.face = parts[0];
  if (font.face.empty() || font.face.size() > kMaxFaceLength) {
    Refuse(where + "the face name must have 1 to 31 characters");
  }
  font.pixelHeight = ParseSmallNumber(parts[1]);
  if (font.pixelHeight < kMinFontHeight || font.pixelHeight > kMaxFontHeight) {
    Refuse(where + "the height must be a number of pixels from 6 to 72: \"" + parts[1] + "\"");
  }
  if (parts.size() == 3) {
    if (EqualsNoCase(parts[2], "bold")) {
      font.bold = true;
    } else if (!EqualsNoCase(parts[2], "normal")) {
      Refuse(where + "the weight must be bold or normal: \"" + parts[2] + "\"");
    }
  }
  return font;
}

std::string FormatFont(const SkinFont& font) {
  return font.face + "," + std::to_string(font.pixelHeight) + (font.bold ? ",bold" : "");
}

}  // namespace

SkinDescription ParseSkinText(std::string_view text) {
  if (text.size() > kMaxSkinTextSize) Refuse("the skin text is too large");
  TMemIniFile ini;
  ini.SetText(text);

  std::string value;
  if (!ini.FindValue("Skin", "Magic", value) || value != kSkinTextMagic) {
    Refuse("not a skin text: [Skin] Magic must be " + std::string(kSkinTextMagic));
  }
  if (!ini.FindValue("Skin", "Version", value)) Refuse("[Skin] Version is missing");
  if (ParseSmallNumber(value) != kSkinTextVersion) {
    Refuse("skin format version \"" + value + "\" is not supported (this program reads " +
           std::to_string(kSkinTextVersion) + ")");
  }

  SkinDescription skin;
  skin.style = DefaultSkinStyle();
  skin.name = ini.ReadString("Skin", "Name", "");
  for (const ColorEntry& e : kColorEntries) {
    if (ini.FindValue(e.section, e.key, value)) {
      skin.style.*e.field = ParseColor(value, e.section, e.key);
    }
  }
  if (ini.FindValue("Form", "Font", value)) skin.style.font = ParseFont(value, "Form", "Font");
  return skin;
}

std::string SkinText(const SkinDescription& skin) {
  TMemIniFile ini;
  ini.WriteString("Skin", "Magic", kSkinTextMagic);
  ini.WriteInteger("Skin", "Version", kSkinTextVersion);
  ini.WriteString("Skin", "Name", skin.name);
  for (const ColorEntry& e : kColorEntries) {
    ini.WriteString(e.section, e.key, FormatColor(skin.style.*e.field));
  }
  ini.WriteString("Form", "Font", FormatFont(skin.style.font));
  return ini.Text();
}

std::string CompressSkinText(std::string_view text) {
  if (text.size() > kMaxSkinTextSize) Refuse("the skin text is too large");
  uLongf packedSize = compressBound(static_cast<uLong>(text.size()));
  std::string out(kSkinFileHeaderSize + packedSize, '\0');
  const int rc = compress2(reinterpret_cast<Bytef*>(&out[kSkinFileHeaderSize]), &packedSize,
                           reinterpret_cast<const Bytef*>(text.data()),
                           static_cast<uLong>(text.size()), Z_BEST_COMPRESSION);
  if (rc != Z_OK) Refuse("the skin text could not be compressed");
  out.resize(kSkinFileHeaderSize + packedSize);
  out.replace(0, 5, kSkinFileMagic, 5);
  out[5] = static_cast<char>(kSkinFileVersion);
  const auto size = static_cast<uint32_t>(text.size());
  for (int i = 0; i < 4; ++i) out[6 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
  return out;
}

std::string DecompressSkinText(std::string_view bytes) {
  if (bytes.size() < kSkinFileHeaderSize || bytes.substr(0, 5) != kSkinFileMagic) {
    Refuse("not a skin file");
  }
  if (static_cast<uint8_t>(bytes[5]) != kSkinFileVersion) {
    Refuse("skin file version " + std::to_string(static_cast<uint8_t>(bytes[5])) +
           " is not supported");
  }
  uint32_t size = 0;
  for (int i = 0; i < 4; ++i) size |= uint32_t{static_cast<uint8_t>(bytes[6 + i])} << (8 * i);
  if (size > kMaxSkinTextSize) Refuse("the skin file claims a text larger than 1 MiB");
  if (bytes.size() > kMaxSkinFileSize) Refuse("the skin file is too large");
  const std::string_view packed = bytes.substr(kSkinFileHeaderSize);

  // One byte of room beyond the declared size tells "more than declared" from "exactly".
  std::string text(size + 1, '\0');
  z_stream z{};
  if (inflateInit(&z) != Z_OK) Refuse("the skin file could not be decompressed");
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  z.avail_in = static_cast<uInt>(packed.size());
  z.next_out = reinterpret_cast<Bytef*>(text.data());
  z.avail_out = static_cast<uInt>(text.size());
  const int rc = inflate(&z, Z_FINISH);
  const uLong produced = z.total_out;
  const uInt leftIn = z.avail_in;
  const uInt leftOut = z.avail_out;
  inflateEnd(&z);

  if (rc == Z_STREAM_END) {
    if (produced != size) Refuse("the skin file's text is not the size its header gives");
    if (leftIn != 0) Refuse("the skin file has data after its compressed text");
    text.resize(size);
    return text;
  }
  if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT) Refuse("the skin file's compressed text is corrupt");
  if (leftOut == 0) Refuse("the skin file's text is larger than its header gives");
  Refuse("the skin file is truncated");
}

SkinDescription DecodeSkinFile(std::string_view bytes) {
  return ParseSkinText(DecompressSkinText(bytes));
}

}  // namespace qv
