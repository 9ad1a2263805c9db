// Files and folders: confined deletion of a folder's contents, listing, whole-file reads and
// writes (with an atomic replace for files that must never be left half-written), creation
// times, and the access check that decides whether the current user may write a folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "util/DateTime.h"

namespace qv {

struct FolderCleanup {
  bool accepted = false;   // false: the folder was refused (see IsDeletableFolder) or unreadable
  int entriesLeft = 0;     // files and folders inside that could not be deleted
  bool Complete() const { return accepted && entriesLeft == 0; }
};

// Deletes every file (and, with recurse, every subfolder) inside folder; the folder itself
// stays, and so do files in use or read-only. Links (junctions, symbolic links) inside are
// removed as entries and never followed. Refuses folders that IsDeletableFolder rejects.
FolderCleanup CleanFolderContents(const std::string& folder, bool recurse);
// The same, answering whether the folder was accepted.
bool DeleteFolderContents(const std::string& folder, bool recurse);

// Appends every non-folder entry matching mask (a path with wildcards), with the mask's
// folder part in front when withPath is set.
void ListFiles(const std::string& mask, std::vector<std::string>& list, bool withPath);

// Creates or replaces the file with exactly these bytes; nothing happens when it cannot.
void WriteTextFile(const std::string& text, const std::string& fileName);

// Reads the whole file; false when it cannot be opened or read.
bool ReadFileBytes(const std::string& fileName, std::string& content);

// Writes content to a file beside fileName, flushes it and moves it over fileName in one
// step, so fileName holds either its old or its new content, never a part. False on failure,
// with the old file untouched.
bool ReplaceFileContents(const std::string& fileName, const std::string& content);

bool FileExists(const std::string& path);       // exists and is not a folder
bool DirectoryExists(const std::string& path);  // exists and is a folder
// Creates the folder and any missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& path);

bool GetFileCreationTime(const std::string& path, FILETIME& creationTime);
TDateTime FileTimeToDateTime(const FILETIME& fileTime);  // no time-zone conversion
TDateTime SystemTimeToDateTime(const SYSTEMTIME& time);
TDateTime Now();  // local date and time

// Whether the current user holds desiredAccess (GENERIC_READ, GENERIC_WRITE, ...) on path.
bool HasFileAccess(DWORD desiredAccess, const std::wstring& path);

}  // namespace qv
