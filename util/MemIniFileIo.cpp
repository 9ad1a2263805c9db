// The INI document's file binding: whole-file reads and atomic whole-file replacement, so
// that a document is never saved as a half-written file.
#include "util/Files.h"
#include "util/MemIniFile.h"

namespace qv {

TMemIniFile::TMemIniFile(const std::string& fileName) { LoadFromFile(fileName); }

bool TMemIniFile::LoadFromFile(const std::string& fileName) {
  fileName_ = fileName;
  std::string bytes;
  if (!ReadFileBytes(fileName, bytes)) {
    Clear();
    return false;
  }
  SetText(bytes);
  return true;
}

bool TMemIniFile::UpdateFile() const {
  return !fileName_.empty() && ReplaceFileContents(fileName_, Text());
}

}  // namespace qv
