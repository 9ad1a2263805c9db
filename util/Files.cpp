#include "util/Files.h"

#include <aclapi.h>

#include <vector>

#include "util/Handles.h"
#include "util/PathText.h"
#include "util/Paths.h"

namespace qv {

namespace {

bool IsDotEntry(const char* name) {
  return (name[0] == '.' && name[1] == '\0') || (name[0] == '.' && name[1] == '.' && name[2] == '\0');
}

// A junction or symbolic link is removed as an entry of its own; its target is never entered.
bool RemoveLink(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) || DeleteFileA(path.c_str());
}

void CleanInside(const std::string& folder, bool recurse, FolderCleanup& result) {
  WIN32_FIND_DATAA entry;
  FindHandle find(FindFirstFileA(CombinePath(folder, "*.*").c_str(), &entry));
  if (!find) return;
  do {
    if (IsDotEntry(entry.cFileName)) continue;
    const std::string path = CombinePath(folder, entry.cFileName);
    const bool isFolder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    if (path.size() >= kMaxPath) {  // would be cut short by the system's buffers: leave it
      if (!isFolder || recurse) ++result.entriesLeft;
      continue;
    }
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      if (!RemoveLink(path)) ++result.entriesLeft;
    } else if (isFolder) {
      if (!recurse) continue;
      if (IsDeletableFolder(path))
        CleanInside(path, true, result);
      if (!RemoveDirectoryA(path.c_str())) ++result.entriesLeft;
    } else if (!DeleteFileA(path.c_str())) {
      ++result.entriesLeft;
    }
  } while (FindNextFileA(find.Get(), &entry));
}

}  // namespace

FolderCleanup CleanFolderContents(const std::string& folder, bool recurse) {
  FolderCleanup result;
  if (!IsDeletableFolder(folder)) return result;
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return result;
  result.accepted = true;
  CleanInside(ToBackslashes(folder), recurse, result);
  return result;
}

bool DeleteFolderContents(const std::string& folder, bool recurse) {
  return CleanFolderContents(folder, recurse).accepted;
}

void ListFiles(const std::string& mask, std::vector<std::string>& list, bool withPath) {
  const size_t slash = mask.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string() : mask.substr(0, slash + 1);
  WIN32_FIND_DATAA entry;
  FindHandle find(FindFirstFileA(mask.c_str(), &entry));
  if (!find) return;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    list.push_back(withPath ? folder + entry.cFileName : std::string(entry.cFileName));
  } while (FindNextFileA(find.Get(), &entry));
}

void WriteTextFile(const std::string& text, const std::string& fileName) {
  UniqueHandle file(CreateFileA(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  DWORD written = 0;
  WriteFile(file.Get(), text.data(), DWORD(text.size()), &written, nullptr);
}

bool ReadFileBytes(const std::string& fileName, std::string& content) {
  content.clear();
  UniqueHandle file(CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
  content.resize(size_t(size.QuadPart));
  DWORD read = 0;
  if (!content.empty() && (!ReadFile(file.Get(), content.data(), DWORD(content.size()), &read, nullptr))) {
    content.clear();
    return false;
  }
  content.resize(read);
  return true;
}

bool ReplaceFileContents(const std::string& fileName, const std::string& content) {
  // The new content goes to a file beside the target first; a leftover staging file from an
  // interrupted save that cannot be reused must not block every later save.
  std::string staging = fileName + ".new";
  UniqueHandle file(CreateFileA(staging.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  if (!file) {
    const size_t slash = fileName.find_last_of('\\');
    staging = MakeUniqueFileName(slash == std::string::npos ? std::string() : fileName.substr(0, slash),
                                 ExtractFileName(fileName) + ".", "new");
    file.Reset(CreateFileA(staging.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
  }
  DWORD written = 0;
  const bool complete = WriteFile(file.Get(), content.data(), DWORD(content.size()), &written, nullptr) &&
                        written == content.size() && FlushFileBuffers(file.Get());
  file.Reset();
  if (!complete ||
      !MoveFileExA(staging.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(staging.c_str());
    return false;
  }
  return true;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::string& path) {
  std::string folder = ToBackslashes(path);
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  if (folder.empty()) return false;
  if (DirectoryExists(folder)) return true;
  const size_t slash = folder.find_last_of('\\');
  if (slash != std::string::npos && slash > 0 && folder.substr(0, slash) != folder)
    ForceDirectories(folder.substr(0, slash));
  CreateDirectoryA(folder.c_str(), nullptr);
  return DirectoryExists(folder);
}

bool GetFileCreationTime(const std::string& path, FILETIME& creationTime) {
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    file.Reset(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return false;
  return GetFileTime(file.Get(), &creationTime, nullptr, nullptr) != FALSE;
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& time) {
  TDateTime date = 0;
  if (!TryEncodeDate(time.wYear, time.wMonth, time.wDay, date)) return 0;
  const TDateTime clock = EncodeTime(time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
  return date >= 0 ? date + clock : date - clock;
}

TDateTime FileTimeToDateTime(const FILETIME& fileTime) {
  SYSTEMTIME time{};
  if (!FileTimeToSystemTime(&fileTime, &time)) return 0;
  return SystemTimeToDateTime(time);
}

TDateTime Now() {
  SYSTEMTIME time{};
  GetLocalTime(&time);
  return SystemTimeToDateTime(time);
}

bool HasFileAccess(DWORD desiredAccess, const std::wstring& path) {
  const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                      DACL_SECURITY_INFORMATION;
  const DWORD previousError = GetLastError();
  DWORD needed = 0;
  if (!GetFileSecurityW(path.c_str(), wanted, nullptr, 0, &needed) &&
      GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return false;
  SetLastError(previousError);

  std::vector<BYTE> descriptor(size_t(needed) + 4096, 0);
  if (!GetFileSecurityW(path.c_str(), wanted, descriptor.data(), DWORD(descriptor.size()), &needed)) return false;

  if (!ImpersonateSelf(SecurityImpersonation)) return false;
  UniqueHandle token;
  bool allowed = false;
  if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_IMPERSONATE, TRUE,
                      token.Receive())) {
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    DWORD access = desiredAccess;
    MapGenericMask(&access, &mapping);
    BYTE privileges[20] = {};
    DWORD privilegesSize = sizeof privileges, granted = 0;
    BOOL status = FALSE;
    if (AccessCheck(descriptor.data(), token.Get(), access, &mapping,
                    reinterpret_cast<PPRIVILEGE_SET>(privileges), &privilegesSize, &granted, &status))
      allowed = status != FALSE;
    token.Reset();
  }
  RevertToSelf();
  return allowed;
}

}  // namespace qv
