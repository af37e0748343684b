// Helpers shared by the tests.
#include "tests/support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/unicode.h"
#include "platform/virtual.h"

ScratchFolder::ScratchFolder() {
  // Not the temporary folder of the environment: tests point TEMP at their own folders.
  std::string pattern = "/tmp/dxvane-test-XXXXXX";
  path = mkdtemp(pattern.data());
  previous = std::filesystem::current_path().string();
  std::filesystem::current_path(path);
}

ScratchFolder::~ScratchFolder() {
  std::filesystem::current_path(previous);
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void AppendFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string DecodeLine(const std::string& message, const std::string& frequency, const std::string& stamp) {
  std::string dial = std::string(10, ' ') + frequency;
  return stamp + dial.substr(dial.size() - 10) + " Rx FT8    -12  0.3 1234 " + message;
}

int FileMode(const std::string& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_mode & 0777;
}

std::string ScreenTextMismatch(int row, int column, const std::string& text, int foreground, int background) {
  std::u32string expected = DecodeCharacters(text);
  for (size_t i = 0; i < expected.size(); ++i) {
    const VirtualCell& cell = ScreenCell(row, column + static_cast<int>(i));
    if (cell.ch != expected[i] || cell.foreground != foreground || cell.background != background) {
      std::string wanted, found;
      AppendUtf8(wanted, expected[i]);
      AppendUtf8(found, cell.ch);
      std::ostringstream why;
      why << "row " << row << " col " << column + i << ": expected '" << wanted << "' " << foreground << "/"
          << background << ", found '" << found << "' " << cell.foreground << "/" << cell.background
          << "; row reads [" << ScreenRowText(row) << "]";
      return why.str();
    }
  }
  return "";
}
