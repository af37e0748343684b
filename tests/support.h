// Helpers shared by the tests: scratch folders, files, and readable screen checks.
#pragma once

#include <string>

// A fresh folder under the system's temporary folder, removed with the object; while it
// lives the current directory is inside it (both programs work on the current directory).
struct ScratchFolder {
  std::string path;
  std::string previous;
  ScratchFolder();
  ~ScratchFolder();
  std::string File(const std::string& name) const { return path + "/" + name; }
};

void WriteFile(const std::string& path, const std::string& bytes);
void AppendFile(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
// Permission bits of a file (0600 and so on).
int FileMode(const std::string& path);

// Colour names for expected screens.
enum Colour { kBlack = 0, kBlue = 1, kRed = 4, kLightGrey = 7, kLightGreen = 10, kLightRed = 12, kYellow = 14, kWhite = 15 };
// "row 3 col 5: 'text' in fg on bg" when the cells differ, empty when they match.
std::string ScreenTextMismatch(int row, int column, const std::string& text, int foreground, int background);
