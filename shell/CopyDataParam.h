// The file parameter that another copy of the program hands over in a WM_COPYDATA record. The
// record comes from another process, so its claimed size is checked before a byte is read.
// Portable code (no windows.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace qv {

// A command-line parameter is a path or a short word; no sane one comes near this.
inline constexpr uint64_t kMaxCmdParamBytes = 32 * 1024;

// Exactly byteCount bytes of data as a string (no terminating zero is expected or counted),
// or nothing when the record is refused: more bytes than kMaxCmdParamBytes, or a non-zero
// count without data. Zero bytes give the empty parameter, with or without data.
std::optional<std::string> CmdParamFromRecord(const void* data, uint64_t byteCount);

}  // namespace qv
