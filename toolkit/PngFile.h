// Reading a PNG picture from a file: the thin Win32 side of the PNG reader, which fetches the
// bytes and hands them to DecodePng.
#pragma once

#include <string>

#include "toolkit/PngReader.h"

namespace qv {

// Reads and decodes the file. Fails with an error text naming the file when it cannot be
// opened or read, is larger than kPngMaxFileSize, or is not a picture DecodePng accepts.
PngResult LoadPngFile(const std::string& path);

}  // namespace qv
