// The Firefox locators, probes and removals: where the profile folders and the executable
// are, whether Firefox is installed or running, and the deletion of its profile files and
// cache. Like the other removal routines they answer whether the trace is now fully gone.
#pragma once

#include <string>

namespace qv {

// base + "\Mozilla\Firefox\Profiles\", or "" when base is not an absolute folder (an
// unregistered shell folder must never turn into a path below the current folder).
std::string FirefoxProfilesFolder(const std::string& base);

// The profile folder (with its trailing "\") in the roaming ("AppData") or, with local set,
// the local ("Local AppData") Firefox profiles; the Profiles folder itself when it holds no
// profile; "" when there is no Profiles folder.
std::string GetFirefoxProfileFolder(bool local);
// The local profile's "Cache\" folder, or "" without a local profile.
std::string GetFirefoxCacheFolder();

// Empties the local profile's "Cache\" and "cache2\" folders (each when it exists).
bool DeleteFirefoxCache();
// Deletes a file of the roaming profile when it exists. A ".sqlite" database takes its
// "-wal", "-shm" and "-journal" companions with it, but only once the database itself is
// gone: a companion left behind could be replayed into a new database of the same name,
// while one removed under a database still in use would corrupt it.
bool DeleteProfileFile(const std::string& fileName);
// The stored passwords: "signons.sqlite" of older versions and "logins.json" with its backup
// of current ones. "key4.db" stays: it also holds certificate keys and the primary password.
bool DeleteFirefoxPasswords();

// The Firefox executable: the "FireFoxPath" setting when that file exists, otherwise the
// registered one (stored in the setting when its file exists); may name a missing file.
std::string GetFirefoxPath();
bool IsFirefoxInstalled();
// Whether a top-level window of a Firefox main-window class exists.
bool IsFirefoxRunning();

}  // namespace qv
