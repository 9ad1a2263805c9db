// String lists: text splitting and joining, name=value access, updates and change events.
#include "toolkit/StringList.h"

#include "util/Text.h"

namespace qv {

// ---- TStrings ----------------------------------------------------------------------------

QV_PUBLISHED(TStrings) { return {}; }

int TStrings::Add(const std::string& line) {
  int index = Count();
  Insert(index, line);
  return index;
}

void TStrings::AddStrings(const TStrings& lines) {
  BeginUpdate();
  try {
    // Count taken first: adding a list to itself doubles it once.
    const int count = lines.Count();
    for (int i = 0; i < count; ++i) Add(lines.Strings(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::string TStrings::Text() const {
  std::string text;
  const int count = Count();
  for (int i = 0; i < count; ++i) {
    text += Strings(i);
    text += "\r\n";
  }
  return text;
}

void TStrings::SetText(std::string_view text) {
  // Texts read whole from files end at a NUL, as C strings do.
  text = text.substr(0, text.find('\0'));
  BeginUpdate();
  try {
    Clear();
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find_first_of("\r\n", pos);
      if (end == std::string_view::npos) end = text.size();
      Add(std::string(text.substr(pos, end - pos)));
      pos = end;
      if (pos < text.size() && text[pos] == '\r') ++pos;
      if (pos < text.size() && text[pos] == '\n') ++pos;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::IndexOf(std::string_view text) const {
  const int count = Count();
  for (int i = 0; i < count; ++i) {
    if (SameText(Strings(i), text)) return i;
  }
  return -1;
}

std::string TStrings::Names(int index) const {
  std::string line = Strings(index);
  size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string TStrings::ValueFromIndex(int index) const {
  std::string line = Strings(index);
  size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

int TStrings::IndexOfName(std::string_view name) const {
  const int count = Count();
  for (int i = 0; i < count; ++i) {
    std::string line = Strings(i);
    size_t eq = line.find('=');
    if (eq != std::string::npos && SameText(std::string_view(line).substr(0, eq), name)) return i;
  }
  return -1;
}

std::string TStrings::Values(std::string_view name) const {
  int index = IndexOfName(name);
  return index < 0 ? std::string() : ValueFromIndex(index);
}

void TStrings::SetValues(std::string_view name, const std::string& value) {
  int index = IndexOfName(name);
  if (value.empty()) {
    if (index >= 0) Delete(index);
    return;
  }
  std::string line = std::string(name) + "=" + value;
  if (index < 0) {
    Add(line);
  } else {
    SetStrings(index, line);
  }
}

void TStrings::Assign(const TPersistent* source) {
  if (const auto* lines = dynamic_cast<const TStrings*>(source)) {
    if (lines == this) return;
    BeginUpdate();
    try {
      Clear();
      AddStrings(*lines);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  TPersistent::Assign(source);
}

void TStrings::BeginUpdate() {
  if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

// ---- TStringList -------------------------------------------------------------------------

QV_PUBLISHED(TStringList) { return {}; }

void TStringList::CheckIndex(int index, int limit) const {
  if (index < 0 || index > limit) {
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
  }
}

std::string TStringList::Get(int index) const {
  CheckIndex(index, Count() - 1);
  return lines_[static_cast<size_t>(index)];
}

void TStringList::Put(int index, const std::string& line) {
  CheckIndex(index, Count() - 1);
  lines_[static_cast<size_t>(index)] = line;
  Changed();
}

void TStringList::Insert(int index, const std::string& line) {
  CheckIndex(index, Count());
  lines_.insert(lines_.begin() + index, line);
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index, Count() - 1);
  lines_.erase(lines_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (lines_.empty()) return;
  lines_.clear();
  Changed();
}

void TStringList::SetUpdateState(bool updating) {
  if (updating) {
    changedDuringUpdate_ = false;
  } else if (changedDuringUpdate_) {
    changedDuringUpdate_ = false;
    if (OnChange) OnChange(this);
  }
}

void TStringList::Changed() {
  if (UpdateCount() > 0) {
    changedDuringUpdate_ = true;
  } else if (OnChange) {
    OnChange(this);
  }
}

}  // namespace qv
