#include "util/Text.h"

#include <cctype>
#include <limits>

namespace qv {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerAscii(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

int32_t StrToIntDefault(std::string_view text, int32_t fallback) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) return fallback;

  // Hexadecimal texts cover the full 32-bit pattern ("$FFFFFFFF" is -1); decimal must fit.
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit = base == 16 ? HexDigit(text[i]) : (std::isdigit(uint8_t(text[i])) ? text[i] - '0' : -1);
    if (digit < 0) return fallback;
    value = value * base + digit;
    if (value > 0xFFFFFFFFLL) return fallback;
  }
  if (base == 16) {
    const auto bits = static_cast<uint32_t>(value);
    const auto result = static_cast<int32_t>(bits);
    return negative ? int32_t(0u - bits) : result;
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    return fallback;
  return static_cast<int32_t>(value);
}

std::string BytesToHex(const void* bytes, int count) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  if (count < 1) return hex;
  const auto* p = static_cast<const uint8_t*>(bytes);
  hex.reserve(size_t(count) * 2);
  for (int i = 0; i < count; ++i) {
    hex += kDigits[p[i] >> 4];
    hex += kDigits[p[i] & 0x0F];
  }
  return hex;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

bool StartsWithText(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

std::string ReplaceAll(std::string text, std::string_view what, std::string_view with) {
  if (what.empty()) return text;
  std::string result;
  size_t start = 0, found;
  while ((found = text.find(what, start)) != std::string::npos) {
    result.append(text, start, found - start);
    result.append(with);
    start = found + what.size();
  }
  result.append(text, start);
  return result;
}

std::string FillPlaceholders(std::string text, const std::vector<std::string>& args, int highest) {
  for (int i = 0; i <= highest && size_t(i) < args.size(); ++i)
    text = ReplaceAll(std::move(text), '{' + std::to_string(i + 1) + '}', args[size_t(i)]);
  return text;
}

std::string AddUrlParam(const std::string& url, const std::string& param) {
  if (url.empty()) return param;
  if (url.find('?') == std::string::npos) return url + "?" + param;
  const char last = url.back();
  return (last == '&' || last == '?') ? url + param : url + "&" + param;
}

uint32_t VersionToInt(std::string_view version) {
  const std::string_view word = version.substr(0, version.find(' '));
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (true) {
    const size_t dot = word.find('.', start);
    parts.push_back(word.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  if (parts.size() != 4) return 0;
  uint32_t result = 0;
  for (const auto part : parts)
    result = (result << 8) | (static_cast<uint32_t>(StrToIntDefault(part, 0)) & 0xFF);
  return result;
}

std::string Trim(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && uint8_t(text[begin]) <= 0x20) ++begin;
  while (end > begin && uint8_t(text[end - 1]) <= 0x20) --end;
  return std::string(text.substr(begin, end - begin));
}

}  // namespace qv
