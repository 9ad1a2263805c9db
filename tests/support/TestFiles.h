// Test fixtures over real files in the sandbox: a private folder per test, planting files
// and reading them back, so that each test starts from nothing and leaves nothing behind.
#pragma once

#include <string>

namespace qv::test {

// A fresh, empty folder under the sandbox's scratch space (absolute, no trailing "\"),
// removed with everything in it when the object goes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return path_; }
  // Path() + "\" + relative.
  std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

 private:
  std::string path_;
};

// Creates the file (and its folders) holding exactly these bytes.
void PlantFile(const std::string& path, const std::string& content = "trace");
void PlantFolder(const std::string& path);
// The file's bytes, or "<missing>" when it cannot be read.
std::string ReadWholeFile(const std::string& path);
bool PathExists(const std::string& path);
// Removes a tree regardless of read-only attributes (test clean-up only).
void RemoveTree(const std::string& path);

}  // namespace qv::test
