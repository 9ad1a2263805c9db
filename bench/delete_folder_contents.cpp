// Benchmark: empties the folder named by the first argument with the program's folder cleaner
// and prints the entries it left and the seconds it took, for scripts/bench to compare.
#include <windows.h>

#include <cstdio>

#include "util/Files.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const qv::FolderCleanup result = qv::CleanFolderContents(argv[1], true);
  QueryPerformanceCounter(&end);
  std::printf("accepted=%d left=%d seconds=%.6f\n", result.accepted ? 1 : 0, result.entriesLeft,
              double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
  return result.accepted ? 0 : 1;
}
