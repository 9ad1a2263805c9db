// libFuzzer target for the PNG reader: any input must be decoded or refused with a reason,
// within the reader's size limits, without a sanitizer finding.
#include <cstdlib>

#include "toolkit/PngReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qv::PngResult r = qv::DecodePng(data, size);
  if (r.ok) {
    const qv::RgbaImage& image = r.image;
    if (image.Empty() || image.width > qv::kPngMaxSide || image.height > qv::kPngMaxSide ||
        uint64_t{image.width} * image.height > qv::kPngMaxPixels ||
        image.pixels.size() != size_t{image.width} * image.height * 4 || !r.error.empty()) {
      std::abort();
    }
  } else if (r.error.empty() || !r.image.pixels.empty()) {
    std::abort();
  }
  return 0;
}
