#include "common/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/support.h"

namespace {

std::vector<std::string> ReadAllLines(const std::string& bytes, bool (*reader)(TextFile&, std::string&)) {
  ScratchFolder folder;
  WriteFile("f.txt", bytes);
  TextFile file;
  EXPECT_TRUE(OpenForReading(file, "f.txt", FileShare::kReadWrite));
  std::vector<std::string> lines;
  std::string line;
  while (!AtEndOfFile(file) && reader(file, line)) lines.push_back(line);
  CloseFile(file);
  return lines;
}

using Lines = std::vector<std::string>;

bool ReadAnyField(TextFile& file, std::string& field) { return ReadField(file, field); }

}  // namespace

TEST(ReadLine, EndsAtCrCrLfAndLoneLf) {
  EXPECT_EQ(ReadAllLines("a\r\nb\r\n", ReadLine), (Lines{"a", "b"}));
  EXPECT_EQ(ReadAllLines("a\nb\n", ReadLine), (Lines{"a", "b"}));
  EXPECT_EQ(ReadAllLines("a\rb", ReadLine), (Lines{"a", "b"}));
  EXPECT_EQ(ReadAllLines("a\n\r\nb", ReadLine), (Lines{"a", "", "b"}));
  EXPECT_EQ(ReadAllLines("\r\n\r\n", ReadLine), (Lines{"", ""}));
}

TEST(ReadLine, CtrlZEndsTheFile) {
  EXPECT_EQ(ReadAllLines("a\r\nb\x1A" "c\r\n", ReadLine), (Lines{"a", "b"}));
  EXPECT_EQ(ReadAllLines("\x1A" "abc", ReadLine), Lines{});
}

TEST(ReadLine, ReportsPastEndAndNotOpen) {
  ScratchFolder folder;
  WriteFile("empty.txt", "");
  TextFile file;
  std::string line;
  EXPECT_FALSE(ReadLine(file, line));
  EXPECT_EQ(file.error, 52);
  ASSERT_TRUE(OpenForReading(file, "empty.txt", FileShare::kExclusive));
  EXPECT_FALSE(ReadLine(file, line));
  EXPECT_EQ(file.error, 62);
}

TEST(ReadReplyLine, KeepsLineFeedsAndStopsAtCr) {
  EXPECT_EQ(ReadAllLines("<a>\n<b>\n", ReadReplyLine), (Lines{"<a>\n<b>\n"}));
  EXPECT_EQ(ReadAllLines("<a>\r\n<Key>", ReadReplyLine)[0], "<a>");
  EXPECT_EQ(ReadAllLines("<a>\x1A<b>", ReadReplyLine), (Lines{"<a>"}));
}

TEST(ReadField, SplitsAtCommasAndLineEnds) {
  EXPECT_EQ(ReadAllLines("a,b\r\nc\nd", ReadAnyField), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(ReadAllLines("\nx\n", ReadAnyField), (Lines{"", "x"}));
}

TEST(OpenForReading, NamesTheFailure) {
  ScratchFolder folder;
  TextFile file;
  EXPECT_FALSE(OpenForReading(file, "missing.txt", FileShare::kReadWrite));
  EXPECT_EQ(file.error, 53);
  EXPECT_FALSE(OpenForReading(file, "nofolder/missing.txt", FileShare::kReadWrite));
  EXPECT_EQ(file.error, 76);
  std::filesystem::create_directory("a folder");
  EXPECT_FALSE(OpenForReading(file, "a folder", FileShare::kReadWrite));
  EXPECT_EQ(file.error, 70);
}

TEST(SetReadPosition, CountsFromOne) {
  ScratchFolder folder;
  WriteFile("f.txt", "abc\r\ndef\r\n");
  TextFile file;
  ASSERT_TRUE(OpenForReading(file, "f.txt", FileShare::kReadWrite));
  EXPECT_EQ(FileSize(file), 10);
  SetReadPosition(file, 5);  // the LF that ended the first line
  std::string field;
  ReadField(file, field);
  EXPECT_EQ(field, "");
  ReadField(file, field);
  EXPECT_EQ(field, "def");
  EXPECT_TRUE(AtEndOfFile(file));
}

TEST(WriteLine, EndsWithCrLf) {
  ScratchFolder folder;
  TextFile file;
  ASSERT_TRUE(OpenForWriting(file, "out.txt"));
  WriteLine(file, "one");
  WriteLine(file, "");
  CloseFile(file);
  EXPECT_EQ(ReadFileBytes("out.txt"), "one\r\n\r\n");
}

// Two saves of one file at once (two editors): each writes a file of its own, and the file ends
// whole, as the last save to finish wrote it.
TEST(WriteFileWhole, TwoSavesAtOnceNeverMix) {
  ScratchFolder folder;
  WriteFile("Config.ini", "old\r\n");
  std::string outerError, innerError;
  bool innerSaved = false;
  bool outerSaved = WriteFileWhole("Config.ini", [&](TextFile& file) {
    WriteLine(file, "first editor");
    innerSaved = WriteFileWhole("Config.ini", [](TextFile& inner) {
      WriteLine(inner, "second editor");
      WriteLine(inner, "with more lines");
      WriteLine(inner, "than the first");
      return std::string();
    }, innerError);
    WriteLine(file, "done");
    return std::string();
  }, outerError);
  EXPECT_TRUE(innerSaved) << innerError;
  EXPECT_TRUE(outerSaved) << outerError;
  EXPECT_EQ(ReadFileBytes("Config.ini"), "first editor\r\ndone\r\n");
  EXPECT_TRUE(FilesBeginningWith(".", "Config.ini.new").empty());
}