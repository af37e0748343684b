#include "platform/files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support.h"

TEST(OwnerOnlyFiles, AreCreated0600AndRefuseSymbolicLinks) {
  ScratchFolder folder;
  WriteFile("victim.txt", "keep me");
  ASSERT_EQ(symlink("victim.txt", "link.tmp"), 0);
  int error = 0;
  EXPECT_EQ(OpenForWritingFile("link.tmp", true, error), nullptr);
  EXPECT_EQ(ReadFileBytes("victim.txt"), "keep me");

  WriteFile("wide.tmp", "old");
  chmod("wide.tmp", 0644);
  std::FILE* file = OpenForWritingFile("wide.tmp", true, error);
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  EXPECT_EQ(FileMode("wide.tmp"), 0600);
  EXPECT_EQ(ReadFileBytes("wide.tmp"), "");
}

TEST(FindFileIgnoringCase, PrefersTheExactName) {
  ScratchFolder folder;
  WriteFile("wsjtx_log.adi", "x");
  EXPECT_EQ(FindFileIgnoringCase(folder.path, "WSJTX_log.adi"), folder.path + "/wsjtx_log.adi");
  WriteFile("WSJTX_log.adi", "y");
  EXPECT_EQ(FindFileIgnoringCase(folder.path, "WSJTX_log.adi"), folder.path + "/WSJTX_log.adi");
  EXPECT_EQ(FindFileIgnoringCase(folder.path + "/none", "a.adi"), folder.path + "/none/a.adi");
}
