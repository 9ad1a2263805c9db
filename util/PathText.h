// Path text: joining, slashes, trailing backslashes, file titles, and the test that decides
// whether a folder may be emptied. Portable code over std::string (no windows.h).
#pragma once

#include <string>

namespace qv {

// The program's path limit: system calls fill 260-character buffers.
inline constexpr size_t kMaxPath = 260;

// Every "/" replaced with "\".
std::string ToBackslashes(std::string path);

// "" stays ""; otherwise ToBackslashes plus a final "\" unless there is one.
std::string WithTrailingBackslash(const std::string& path);

// Joins a relative path onto a folder. A relative path with ":" is taken as it is; a
// leading "\" keeps only the base's drive ("C:" or "\\server\share"). A base that is neither
// a drive path nor a UNC path gives the relative path unchanged, which no deletion accepts.
std::string CombinePath(const std::string& base, const std::string& relative);

// The name part of a path without its last extension: "a.b.c" -> "a.b", ".x" -> "".
std::string ExtractFileTitle(const std::string& path);

// The text after the last "\" (or "/"): the file name with its extension.
std::string ExtractFileName(const std::string& path);

// The folder part of a path with its trailing "\" (the text up to the last "\" or "/"),
// or "" for a bare name.
std::string ExtractFilePath(const std::string& path);

// Whether a folder is a path that may be emptied: absolute (drive or UNC), not a drive root,
// not a UNC share root, free of "." and ".." steps, and short enough that every entry the
// walk joins to it still fits the 260-character buffers.
bool IsDeletableFolder(const std::string& folder);

}  // namespace qv
