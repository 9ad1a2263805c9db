// The skin file format: an INI-like text of colours and fonts (see SKINS.md beside this file)
// and its compressed container, the .skn file ("QVSKN", a version byte, the text's size, then
// the zlib-compressed text). Skin files come from anywhere, so decoding checks everything and
// refuses with ESkinFormatError rather than guessing. Portable code (no windows.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "toolkit/SkinStyle.h"

namespace qv {

// A skin text or skin file that cannot be used; what() says why.
class ESkinFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr char kSkinTextMagic[] = "QVSKIN";  // [Skin] Magic=
inline constexpr int kSkinTextVersion = 1;          // [Skin] Version=
inline constexpr char kSkinFileMagic[] = "QVSKN";   // first five bytes of a .skn file
inline constexpr uint8_t kSkinFileVersion = 1;
inline constexpr size_t kSkinFileHeaderSize = 10;  // magic, version, size (32-bit LE)
// No honest skin text comes near this; a larger claim (or output) is refused as a bomb.
inline constexpr size_t kMaxSkinTextSize = 1u << 20;
// Above what zlib can make of the largest text, so a larger file is refused unread.
inline constexpr size_t kMaxSkinFileSize =
    kSkinFileHeaderSize + kMaxSkinTextSize + kMaxSkinTextSize / 64;

// A skin as its text describes it. The style's switches (skinnableForm, buttonGlow) are not
// part of the text: they stay at their defaults here and belong to the skin data.
struct SkinDescription {
  std::string name;
  SkinStyle style;

  friend bool operator==(const SkinDescription&, const SkinDescription&) = default;
};

// Parses a skin text. A missing entry keeps the built-in style's value; a present entry must
// be well formed (colour "#RRGGBB", font "face,height[,bold]").
SkinDescription ParseSkinText(std::string_view text);
// The text of a skin, every entry written, so that ParseSkinText gives it back.
std::string SkinText(const SkinDescription& skin);

// The .skn bytes for a skin text (which is not checked here; the tool checks it).
std::string CompressSkinText(std::string_view text);
// The text inside .skn bytes.
std::string DecompressSkinText(std::string_view bytes);
// DecompressSkinText, then ParseSkinText.
SkinDescription DecodeSkinFile(std::string_view bytes);

}  // namespace qv
