// File reading that is the same on every platform, on top of its 64-bit seek.
#include "platform/files.h"

bool ReadOpenFileAt(std::FILE* file, int64_t offset, int64_t count, std::string& bytes) {
  bytes.clear();
  if (count <= 0) return true;
  if (!SeekOpenFile(file, offset)) return false;
  bytes.resize(static_cast<size_t>(count));
  size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  bytes.resize(got);
  return !std::ferror(file);
}
