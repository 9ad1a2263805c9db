// The language table over plain text: token decoding, the size and NUL rules for file text,
// lazy parsing and lookups. No windows.h here: language files are text anybody can edit, so
// this part also builds natively; the file read is in CLMultiLangLanIo.cpp.
#include "localisation/CLMultiLangLan.h"

#include <unordered_map>
#include <utility>
#include <vector>

#include "util/Text.h"

namespace qv {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerKey(std::string_view text) {
  std::string key(text);
  for (char& c : key) c = LowerAscii(c);
  return key;
}

bool MatchesAt(std::string_view text, size_t pos, std::string_view token) {
  if (text.size() - pos < token.size()) return false;
  for (size_t i = 0; i < token.size(); ++i)
    if (LowerAscii(text[pos + i]) != LowerAscii(token[i])) return false;
  return true;
}

}  // namespace

std::string ReplaceTextIgnoreCase(std::string_view text, std::string_view token,
                                  std::string_view with) {
  if (token.empty()) return std::string(text);
  std::string result;
  result.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    // Tokens start with '<' or '{': look for the first character quickly, then compare.
    const char first = token.front();
    size_t hit = pos;
    while (hit < text.size() && LowerAscii(text[hit]) != LowerAscii(first)) ++hit;
    if (hit >= text.size()) break;
    if (MatchesAt(text, hit, token)) {
      result.append(text.substr(pos, hit - pos));
      result.append(with);
      pos = hit + token.size();
    } else {
      result.append(text.substr(pos, hit + 1 - pos));
      pos = hit + 1;
    }
  }
  if (pos < text.size()) result.append(text.substr(pos));
  return result;
}

std::string DecodeText(std::string_view text) {
  return ReplaceTextIgnoreCase(ReplaceTextIgnoreCase(text, "<BR>", "\r\n"), "<SP>", " ");
}

std::string LanguageFileText(std::string_view bytes, bool truncated) {
  const size_t nul = bytes.find('\0');
  if (nul != std::string_view::npos) {
    // The text ends here whatever follows, so nothing was cut off mid-line.
    return std::string(bytes.substr(0, nul));
  }
  if (truncated) {
    const size_t lastBreak = bytes.find_last_of("\r\n");
    return lastBreak == std::string_view::npos ? std::string()
                                               : std::string(bytes.substr(0, lastBreak + 1));
  }
  return std::string(bytes);
}

// ---- TCLMultiLangLan ---------------------------------------------------------------------

QV_PUBLISHED(TCLMultiLangLan) {
  using P = Publish<TCLMultiLangLan>;
  return {P::Strings("Data", &TCLMultiLangLan::data_)};
}

TCLMultiLangLan::TCLMultiLangLan() {
  // Whoever changes the lines (Assign, SetText, a published-property write), the next lookup
  // parses them again.
  data_.OnChange = [this](TObject*) { stale_ = true; };
}

void TCLMultiLangLan::LoadFromText(std::string_view text) {
  data_.SetText(text);
  stale_ = true;
  EnsureParsed();
}

bool TCLMultiLangLan::Lookup(std::string_view section, std::string_view prefix,
                             std::string_view name, std::string& value) {
  EnsureParsed();
  std::string key;
  if (!prefix.empty()) {
    key.reserve(prefix.size() + 1 + name.size());
    key.append(prefix).append(".");
  }
  key.append(name);
  std::string raw;
  if (!parser_.FindValue(section, key, raw)) return false;
  value = DecodeText(raw);
  return true;
}

void TCLMultiLangLan::ReadSectionValues(std::string_view section, TStrings& list) {
  EnsureParsed();
  // Each name once, at its first line, with its first entry's text: what setting the list's
  // value line by line in file order gives, built with a map so that a section of a hundred
  // thousand lines costs no more than reading it.
  std::vector<std::pair<std::string, std::string>> entries;
  std::unordered_map<std::string, bool> seen;
  for (const std::string& line : parser_.ReadSectionValues(section)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;  // a line without "=" is no entry
    std::string name = line.substr(0, eq);
    if (!seen.emplace(LowerKey(name), true).second) continue;
    std::string text = DecodeText(std::string_view(line).substr(eq + 1));
    if (text.empty()) continue;
    entries.emplace_back(std::move(name), std::move(text));
  }
  list.BeginUpdate();
  try {
    list.Clear();
    for (const auto& [name, text] : entries) list.Add(name + "=" + text);
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}

void TCLMultiLangLan::Clear() {
  data_.Clear();
  parser_.Clear();
  stale_ = false;  // empty text, empty document: already in step
}

void TCLMultiLangLan::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TCLMultiLangLan*>(source);
  if (other == nullptr || other == this) return;
  data_.Assign(&other->data_);
  stale_ = true;
  EnsureParsed();
}

void TCLMultiLangLan::EnsureParsed() {
  if (!stale_) return;
  parser_.SetText(data_.Text());
  stale_ = false;
}

}  // namespace qv
