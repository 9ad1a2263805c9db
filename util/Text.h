// Text helpers shared by the whole program: integer parsing with a default, hex dumps,
// prefix tests, "{n}" placeholders, URL query building and four-part version numbers.
// Portable code over std::string (no windows.h), so it also builds natively.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// The text as a signed 32-bit decimal integer (optional blanks and sign before the digits,
// or hexadecimal after "$", "x", "X", "0x" or "0X"); any other text gives the default.
int32_t StrToIntDefault(std::string_view text, int32_t fallback);

// Two upper-case hex characters per byte, high nibble first; a count below 1 gives "".
std::string BytesToHex(const void* bytes, int count);

// Whether text begins with prefix, compared without regard to ASCII letter case.
bool StartsWithText(std::string_view text, std::string_view prefix);

// Whether two texts are equal without regard to ASCII letter case.
bool SameText(std::string_view a, std::string_view b);

// Replaces "{1}" with args[0], "{2}" with args[1], ... up to index highest (inclusive).
std::string FillPlaceholders(std::string text, const std::vector<std::string>& args, int highest);

// Appends a query parameter with "?" or "&" as the URL needs.
std::string AddUrlParam(const std::string& url, const std::string& param);

// "1.2.3.4 beta" -> 0x01020304; anything but four dot-separated parts gives 0.
uint32_t VersionToInt(std::string_view version);

// Removes blanks and control characters (bytes up to 0x20) at both ends.
std::string Trim(std::string_view text);

// Replaces every occurrence of what with with.
std::string ReplaceAll(std::string text, std::string_view what, std::string_view with);

}  // namespace qv
