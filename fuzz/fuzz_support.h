// What the fuzz targets share: the input written to a file of their own.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

// A path under /tmp for this target and process, holding exactly the bytes given.
inline std::string FuzzFile(const char* name, const uint8_t* data, size_t size) {
  std::string path = "/tmp/dxvane-fuzz-" + std::to_string(getpid()) + "-" + name;
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  return path;
}
