// The in-memory INI document behind the settings files and the language files: sections of
// "name=value" lines, parsed from and written back to single-byte text. The document itself
// (MemIniFile.cpp) is portable code over std::string without windows.h, so it can be fuzzed
// natively; LoadFromFile/UpdateFile (MemIniFileIo.cpp) are the thin Win32 file binding.
//
// The rules: lines end with CR LF, CR or LF and are trimmed of blanks and control characters;
// empty lines and ";" lines are skipped; "[name]" opens a section; lines before the first
// section are dropped; a line splits at its first "=" into a trimmed name and value; a line
// without "=" is kept but never matches. Names compare without regard to ASCII case; the first
// section and the first entry of a name win, repeats are kept. Values are literal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class TMemIniFile {
 public:
  TMemIniFile() = default;
  // A document over fileName, loaded from it (empty when the file cannot be read).
  explicit TMemIniFile(const std::string& fileName);

  // Replaces the whole content with the parse of text.
  void SetText(std::string_view text);
  // Every section as "[name]", its lines, one empty line; each line ends with CR LF.
  std::string Text() const;
  void Clear() {
    sections_.clear();
    droppedLines_ = 0;
  }
  // Lines of the last parse that held something but came before the first section, and so
  // were dropped: a sign that the text was not written as this format.
  size_t DroppedLines() const { return droppedLines_; }

  // The file the document is bound to ("" for a document over text only).
  const std::string& FileName() const { return fileName_; }
  // Binds the document to fileName without reading it (for a document parsed by the caller).
  void SetFileName(const std::string& fileName) { fileName_ = fileName; }
  // Binds the document to fileName and loads it; false (and an empty document) when the file
  // does not exist or cannot be read.
  bool LoadFromFile(const std::string& fileName);
  // Replaces the bound file whole with Text(), atomically; false when it cannot, with the
  // previous file left as it was.
  bool UpdateFile() const;

  // Finds the first entry of name in the first section of that name; an empty value counts.
  bool FindValue(std::string_view section, std::string_view name, std::string& value) const;
  bool ValueExists(std::string_view section, std::string_view name) const;
  bool SectionExists(std::string_view section) const;

  std::string ReadString(std::string_view section, std::string_view name,
                         const std::string& fallback) const;
  // The value as a decimal or hex integer (StrToIntDefault); fallback when missing or not one.
  int32_t ReadInteger(std::string_view section, std::string_view name, int32_t fallback) const;
  // ReadInteger != 0, so an unparseable value reads as the fallback.
  bool ReadBool(std::string_view section, std::string_view name, bool fallback) const;

  // Replaces the first entry of name in the section or appends "name=value" at its end; a
  // missing section is appended to the document. Line breaks in name or value become blanks,
  // so a write can never add lines or sections of its own to the saved text.
  void WriteString(std::string_view section, std::string_view name, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view name, int32_t value);
  void WriteBool(std::string_view section, std::string_view name, bool value);

  // Names of all sections in document order, repeated sections included.
  std::vector<std::string> ReadSections() const;
  // The entry names of the first section of that name (lines without "=" are left out).
  std::vector<std::string> ReadSection(std::string_view section) const;
  // Every line of the first section of that name as saved: "name=value", or the text of a
  // line without "=".
  std::vector<std::string> ReadSectionValues(std::string_view section) const;

 private:
  struct Line {
    std::string name;  // the whole trimmed text when hasSeparator is false
    std::string value;
    bool hasSeparator = false;
  };
  struct Section {
    std::string name;
    std::vector<Line> lines;
  };

  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  static const Line* FindLine(const Section& section, std::string_view name);

  std::string fileName_;
  std::vector<Section> sections_;
  size_t droppedLines_ = 0;
};

}  // namespace qv
