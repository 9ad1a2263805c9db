// Reads a PNG file's bytes with CreateFileA and decodes them.
#include "toolkit/PngFile.h"

#include <windows.h>

#include <algorithm>

#include "util/Handles.h"

namespace qv {
namespace {

PngResult Failure(const std::string& path, const std::string& why) {
  PngResult result;
  result.error = "\"" + path + "\": " + why;
  return result;
}

}  // namespace

PngResult LoadPngFile(const std::string& path) {
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return Failure(path, "cannot open the file");
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) return Failure(path, "cannot read the file");
  // The cap comes before the allocation, so a huge file costs nothing.
  if (size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > kPngMaxFileSize)
    return Failure(path, "the file is too large for a picture");

  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    if (!ReadFile(file.Get(), bytes.data() + done, want, &got, nullptr))
      return Failure(path, "cannot read the file");
    if (got == 0) break;  // the file shrank while we read it: decode what is there
    done += got;
  }
  bytes.resize(done);

  PngResult result = DecodePng(bytes);
  if (!result.ok) result.error = "\"" + path + "\": " + result.error;
  return result;
}

}  // namespace qv
