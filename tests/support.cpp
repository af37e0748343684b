// Helpers shared by the tests.
#include "tests/support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "common/unicode.h"
#include "platform/virtual.h"

namespace {

// The system's temporary folder as it was when the tests began: tests point TEMP at their own.
const std::filesystem::path& SystemTemporaryFolder() {
  static const std::filesystem::path folder = std::filesystem::temp_directory_path();
  return folder;
}

}  // namespace

ScratchFolder::ScratchFolder() {
  static std::mt19937_64 random{std::random_device{}()};
  std::filesystem::path made;
  do {
    made = SystemTemporaryFolder() / ("dxvane-test-" + std::to_string(random() % 1000000000));
  } while (!std::filesystem::create_directory(made));
  path = made.string();
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

bool MountSmallFileSystem(const std::string& folder, const std::string& size) {
  std::filesystem::create_directory(folder);
  return std::system(("mount -t tmpfs -o size=" + size + " tmpfs '" + folder + "' 2>/dev/null").c_str()) == 0;
}

void Unmount(const std::string& folder) {
  if (std::system(("umount '" + folder + "'").c_str()) != 0) std::fprintf(stderr, "could not unmount %s\n", folder.c_str());
}

bool MakeReadOnly(const std::string& folder) {
  return std::system(("mount -o remount,ro '" + folder + "'").c_str()) == 0;
}

std::vector<std::string> FilesBeginningWith(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) names.push_back(name);
  }
  return names;
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
