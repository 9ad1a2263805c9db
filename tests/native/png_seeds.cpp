// Writes small valid PNG files, one per colour type, depth and interlacing, into the folder
// given on the command line: the fuzzer's starting corpus.
#include <cstdio>
#include <string>

#include "tests/toolkit/png_encoder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: png_seeds <folder>\n");
    return 2;
  }
  struct Format {
    int colourType, depth;
  } formats[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                 {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  int count = 0;
  for (const Format& f : formats) {
    for (bool interlaced : {false, true}) {
      qv::test::PngSpec spec;
      spec.width = 9;
      spec.height = 5;
      spec.colourType = f.colourType;
      spec.depth = f.depth;
      spec.interlaced = interlaced;
      spec.filter = qv::test::kMixedFilters;
      const int channels = qv::test::PngChannels(f.colourType);
      for (int i = 0; i < 9 * 5 * channels; ++i)
        spec.samples.push_back(static_cast<uint16_t>((i * 37 + 11) & ((1 << f.depth) - 1)));
      if (f.colourType == 3) {
        spec.extraChunks = qv::test::PngChunk("PLTE", std::string(3u << f.depth, '\x55')) +
                           qv::test::PngChunk("tRNS", std::string(2, '\x80'));
      } else if (f.colourType == 0) {
        spec.extraChunks = qv::test::PngChunk("tRNS", qv::test::Bytes({0, 1}));
      }
      const std::string file = qv::test::EncodePng(spec);
      const std::string path = std::string(argv[1]) + "/seed" + std::to_string(count++) + ".png";
      std::FILE* out = std::fopen(path.c_str(), "wb");
      if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size()) return 1;
      std::fclose(out);
    }
  }
  return 0;
}
