// One language table: the text lines of a language file (or of built-in texts) and a parsed
// copy of them, made lazily on the first lookup after a change. Texts come out with their
// "<BR>" and "<SP>" tokens expanded. The parsing is the INI document of util/MemIniFile.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "toolkit/StringList.h"
#include "util/MemIniFile.h"

namespace qv {

// "<BR>" becomes CR LF, then "<SP>" a space, both without regard to ASCII letter case.
std::string DecodeText(std::string_view text);

// Replaces every occurrence of token, without regard to ASCII letter case, by with. The
// inserted text is never searched again, so with may itself hold the token.
std::string ReplaceTextIgnoreCase(std::string_view text, std::string_view token,
                                  std::string_view with);

// The part of a language file's bytes that a table takes: the text up to the first NUL, and,
// when the file went on past the bytes read (truncated), only the lines that ended within
// them, so a line cut at the size cap is dropped rather than loaded half.
std::string LanguageFileText(std::string_view bytes, bool truncated);

class TCLMultiLangLan : public TPersistent {
  QV_CLASS(TCLMultiLangLan, TPersistent)

 public:
  // A language file is read up to this many bytes; what follows is ignored. Real language
  // files are a few dozen KiB; the cap keeps a huge or hostile file from exhausting memory.
  static constexpr size_t kMaxFileBytes = 4u * 1024 * 1024;

  TCLMultiLangLan();

  // The table's text, one line per item. Any change to it makes the table stale.
  TStringList& Data() { return data_; }
  const TStringList& Data() const { return data_; }
  void SetData(const TStrings& lines) { data_.Assign(&lines); }
  bool Stale() const { return stale_; }

  // Data := the file's text (empty when the file cannot be opened), then parsed at once.
  void LoadFromFile(const std::string& path);
  // The same from text already in memory (NUL ends it).
  void LoadFromText(std::string_view text);

  // Whether the section holds an entry named prefix + "." + name (just name for an empty
  // prefix); an entry with an empty text counts. When it does, value := its decoded text;
  // otherwise value is left alone.
  bool Lookup(std::string_view section, std::string_view prefix, std::string_view name,
              std::string& value);

  // list := the section's entries as name=value lines, decoded, in file order; each name once
  // with the text of its first entry; names whose text is empty are left out.
  void ReadSectionValues(std::string_view section, TStrings& list);

  // Empties the text and the parsed copy.
  void Clear();

  // From another table: copies its text and parses it at once. From anything else: nothing.
  void Assign(const TPersistent* source) override;

 private:
  void EnsureParsed();

  TStringList data_;
  TMemIniFile parser_;
  bool stale_ = true;
};

}  // namespace qv
