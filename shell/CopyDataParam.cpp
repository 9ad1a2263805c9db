// Checks and copies the bytes of a handed-over command-line parameter.
#include "shell/CopyDataParam.h"

namespace qv {

std::optional<std::string> CmdParamFromRecord(const void* data, uint64_t byteCount) {
  if (byteCount == 0) return std::string();
  if (data == nullptr || byteCount > kMaxCmdParamBytes) return std::nullopt;
  return std::string(static_cast<const char*>(data), static_cast<size_t>(byteCount));
}

}  // namespace qv
