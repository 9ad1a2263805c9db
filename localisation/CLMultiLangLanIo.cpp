// The language table's file binding: reads at most the size cap of a language file.
#include "localisation/CLMultiLangLan.h"
#include "util/Handles.h"

namespace qv {

namespace {

// The file's first maxBytes bytes; truncated tells whether it holds more. False when the
// file cannot be opened or read.
bool ReadFileHead(const std::string& path, size_t maxBytes, std::string& bytes, bool& truncated) {
  bytes.clear();
  truncated = false;
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return false;
  truncated = static_cast<unsigned long long>(size.QuadPart) > maxBytes;
  const size_t wanted = truncated ? maxBytes : static_cast<size_t>(size.QuadPart);
  bytes.resize(wanted);
  size_t done = 0;
  while (done < wanted) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data() + done, static_cast<DWORD>(wanted - done), &read,
                  nullptr)) {
      bytes.clear();
      return false;
    }
    if (read == 0) break;  // the file shrank meanwhile
    done += read;
  }
  bytes.resize(done);
  return true;
}

}  // namespace

void TCLMultiLangLan::LoadFromFile(const std::string& path) {
  std::string bytes;
  bool truncated = false;
  if (!ReadFileHead(path, kMaxFileBytes, bytes, truncated)) bytes.clear();
  LoadFromText(LanguageFileText(bytes, truncated));
}

}  // namespace qv
