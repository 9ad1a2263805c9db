// The trace-removal routines: one free function per kind of trace (Windows histories through
// the cleaning scripts beside the program, the temporary folder, the Recycle Bin, the
// clipboard, Internet Explorer's cache folder, cache entries and stored passwords). The
// Firefox routines live in cleaning/Firefox.h.
//
// Every routine that removes something answers whether its trace is now fully gone: false
// when a file in use, a read-only file, a cache entry or a value could not be deleted, or
// when the place that holds the trace was refused as unsafe. A trace whose place does not
// exist counts as gone. The scripts count as done once they have been started; nothing
// waits for them.
#pragma once

#include <windows.h>

#include "cleaning/IECache.h"

namespace qv {

bool ClearRunHistory();       // starts res\c1.bat hidden, without waiting
bool ClearRecentDocuments();  // starts res\c3.bat
bool ClearIEHistory();        // starts res\c2.bat

// Empties the system temporary folder; the folder itself stays.
bool EmptyTempFolder();
// Empties the Recycle Bin of every drive without confirmation, progress window or sound.
bool EmptyRecycleBin(HWND owner = nullptr);
bool ClearClipboard();
// Empties the "Cache" shell folder (Temporary Internet Files). Deletes nothing when that
// folder is not registered or is not an absolute folder below a drive or share root.
bool DeleteIETemporaryFiles();
// Walks the whole URL cache with the plain enumeration and deletes every normal, cookie and
// URL-history entry, writing each step to the trace facility.
bool PurgeUrlCache(const TUrlCacheApi& cache = SystemUrlCacheApi());
// Deletes the values under Internet Explorer's IntelliForms\Storage2 key, where version 7 and
// later keep the stored form passwords; the key itself stays.
bool DeleteIEStoredPasswords();

}  // namespace qv
