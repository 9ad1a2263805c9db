// The button icons beside the program: res\icon24_01.png to res\icon24_100.png, numbered with
// at least two digits. The files found take the image-list indexes 0, 1, 2, ... in number
// order, so a missing number leaves no gap in the indexes.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qv {

// The icon files that exist, in number order; exeDir ends in "\".
std::vector<std::string> FindIconFiles(const std::string& exeDir,
                                       const std::function<bool(const std::string& path)>& exists);

}  // namespace qv
