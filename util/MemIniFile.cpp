// The INI document over plain bytes: parsing, lookup, writing and serialising. No windows.h
// here: the text it parses comes from files anybody can edit.
#include "util/MemIniFile.h"

#include "util/Text.h"

namespace qv {

namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string_view TrimView(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlankOrControl(text[begin])) ++begin;
  while (end > begin && IsBlankOrControl(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// A value or name written into the document must stay on its line when saved.
std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  return line;
}

}  // namespace

void TMemIniFile::SetText(std::string_view text) {
  Clear();
  Section* current = nullptr;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = TrimView(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size()) {
      if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
      ++pos;
    }

    if (line.empty() || line.front() == ';') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      sections_.push_back(Section{std::string(TrimView(line.substr(1, line.size() - 2))), {}});
      current = &sections_.back();
      continue;
    }
    if (current == nullptr) {  // before the first section
      ++droppedLines_;
      continue;
    }

    Line entry;
    const size_t separator = line.find('=');
    if (separator == std::string_view::npos) {
      entry.name = std::string(line);
    } else {
      entry.name = std::string(TrimView(line.substr(0, separator)));
      entry.value = std::string(TrimView(line.substr(separator + 1)));
      entry.hasSeparator = true;
    }
    current->lines.push_back(std::move(entry));
  }
}

std::string TMemIniFile::Text() const {
  std::string text;
  for (const Section& section : sections_) {
    text += '[';
    text += section.name;
    text += "]\r\n";
    for (const Line& line : section.lines) {
      text += line.name;
      if (line.hasSeparator) {
        text += '=';
        text += line.value;
      }
      text += "\r\n";
    }
    text += "\r\n";
  }
  return text;
}

const TMemIniFile::Section* TMemIniFile::FindSection(std::string_view name) const {
  for (const Section& section : sections_)
    if (SameText(section.name, name)) return &section;
  return nullptr;
}

TMemIniFile::Section* TMemIniFile::FindSection(std::string_view name) {
  return const_cast<Section*>(static_cast<const TMemIniFile*>(this)->FindSection(name));
}

const TMemIniFile::Line* TMemIniFile::FindLine(const Section& section, std::string_view name) {
  for (const Line& line : section.lines)
    if (line.hasSeparator && SameText(line.name, name)) return &line;
  return nullptr;
}

bool TMemIniFile::FindValue(std::string_view section, std::string_view name,
                            std::string& value) const {
  const Section* found = FindSection(section);
  if (found == nullptr) return false;
  const Line* line = FindLine(*found, name);
  if (line == nullptr) return false;
  value = line->value;
  return true;
}

bool TMemIniFile::ValueExists(std::string_view section, std::string_view name) const {
  const Section* found = FindSection(section);
  return found != nullptr && FindLine(*found, name) != nullptr;
}

bool TMemIniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

std::string TMemIniFile::ReadString(std::string_view section, std::string_view name,
                                    const std::string& fallback) const {
  std::string value;
  return FindValue(section, name, value) ? value : fallback;
}

int32_t TMemIniFile::ReadInteger(std::string_view section, std::string_view name,
                                 int32_t fallback) const {
  std::string value;
  return FindValue(section, name, value) ? StrToIntDefault(value, fallback) : fallback;
}

bool TMemIniFile::ReadBool(std::string_view section, std::string_view name, bool fallback) const {
  return ReadInteger(section, name, fallback ? 1 : 0) != 0;
}

void TMemIniFile::WriteString(std::string_view section, std::string_view name,
                              std::string_view value) {
  Section* target = FindSection(section);
  if (target == nullptr) {
    sections_.push_back(Section{OneLine(section), {}});
    target = &sections_.back();
  }
  if (const Line* line = FindLine(*target, name)) {
    const_cast<Line*>(line)->value = OneLine(value);
    return;
  }
  target->lines.push_back(Line{OneLine(name), OneLine(value), true});
}

void TMemIniFile::WriteInteger(std::string_view section, std::string_view name, int32_t value) {
  WriteString(section, name, std::to_string(value));
}

void TMemIniFile::WriteBool(std::string_view section, std::string_view name, bool value) {
  WriteString(section, name, value ? "1" : "0");
}

std::vector<std::string> TMemIniFile::ReadSections() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const Section& section : sections_) names.push_back(section.name);
  return names;
}

std::vector<std::string> TMemIniFile::ReadSection(std::string_view section) const {
  std::vector<std::string> names;
  if (const Section* found = FindSection(section))
    for (const Line& line : found->lines)
      if (line.hasSeparator) names.push_back(line.name);
  return names;
}

std::vector<std::string> TMemIniFile::ReadSectionValues(std::string_view section) const {
  std::vector<std::string> lines;
  if (const Section* found = FindSection(section)) {
    lines.reserve(found->lines.size());
    for (const Line& line : found->lines)
      lines.push_back(line.hasSeparator ? line.name + "=" + line.value : line.name);
  }
  return lines;
}

}  // namespace qv
