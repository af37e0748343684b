#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
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
  EXPECT_TRUE(IsOwnerOnlyFile("wide.tmp"));
  EXPECT_EQ(ReadFileBytes("wide.tmp"), "");
}

TEST(OpenExistingForReading, AFileWeMayNotReadIsRefused) {
  ScratchFolder folder;
  WriteFile("locked.txt", "x");
  chmod("locked.txt", 0);
  if (geteuid() == 0) GTEST_SKIP() << "root reads anything";
  int error = 0;
  EXPECT_EQ(OpenExistingForReading("locked.txt", FileShare::kReadWrite, error), nullptr);
  EXPECT_EQ(error, 70);
}

TEST(FindFileIgnoringCase, PrefersTheExactName) {
  ScratchFolder folder;
  WriteFile("wsjtx_log.adi", "x");
  EXPECT_EQ(FindFileIgnoringCase(folder.path, "WSJTX_log.adi"), folder.path + "/wsjtx_log.adi");
  WriteFile("WSJTX_log.adi", "y");
  EXPECT_EQ(FindFileIgnoringCase(folder.path, "WSJTX_log.adi"), folder.path + "/WSJTX_log.adi");
  EXPECT_EQ(FindFileIgnoringCase(folder.path + "/none", "a.adi"), folder.path + "/none/a.adi");
}

TEST(PrivateFiles, AreNeverAnotherUsersFileOrALink) {
  ScratchFolder folder;
  WriteFile("victim.txt", "keep me");
  ASSERT_EQ(symlink("victim.txt", "QRZ_Data.tmp"), 0);
  int error = 0;
  std::FILE* file = OpenPrivateFileForWriting("QRZ_Data.tmp", error);
  ASSERT_NE(file, nullptr);
  std::fputs("session", file);
  std::fclose(file);
  EXPECT_EQ(ReadFileBytes("victim.txt"), "keep me");  // the link was replaced, not followed
  EXPECT_EQ(ReadFileBytes("QRZ_Data.tmp"), "session");
  EXPECT_TRUE(IsOwnerOnlyFile("QRZ_Data.tmp"));

  if (geteuid() != 0) GTEST_SKIP() << "making another user's file needs root";
  RemoveFile("QRZ_Data.tmp");
  WriteFile("QRZ_Data.tmp", "theirs");
  ASSERT_EQ(link("QRZ_Data.tmp", "theirs.txt"), 0);
  ASSERT_EQ(chown("QRZ_Data.tmp", 65534, 65534), 0);
  file = OpenPrivateFileForWriting("QRZ_Data.tmp", error);
  ASSERT_NE(file, nullptr);
  std::fputs("ours", file);
  std::fclose(file);
  EXPECT_EQ(ReadFileBytes("theirs.txt"), "theirs");
  struct stat info {};
  stat("QRZ_Data.tmp", &info);
  EXPECT_EQ(info.st_uid, geteuid());
}

// A FIFO where ALL.TXT should be would hold a blocking open() until a writer came.
TEST(OpenExistingForReading, AFifoIsRefusedAtOnceAndNamed) {
  ScratchFolder folder;
  ASSERT_EQ(mkfifo("ALL.TXT", 0600), 0);
  int error = 0;
  EXPECT_EQ(OpenExistingForReading("ALL.TXT", FileShare::kReadWrite, error), nullptr);
  EXPECT_EQ(error, 75);
  EXPECT_EQ(OddFileKindOf("ALL.TXT"), "a FIFO");
  EXPECT_EQ(OddFileKindOf("missing"), "");
}

// With TEMP unset the reply file goes to a folder of the user's own, never the shared /tmp.
TEST(TempFolder, IsTheUsersOwnWhenTempNamesNone) {
  ScratchFolder folder;
  std::string temp = EnvironmentValue("TEMP"), runtime = EnvironmentValue("XDG_RUNTIME_DIR"), tmpdir = EnvironmentValue("TMPDIR");
  unsetenv("TEMP");
  unsetenv("XDG_RUNTIME_DIR");
  SetEnvironmentValue("TMPDIR", folder.path);
  std::string own = folder.path + "/dxvane-" + std::to_string(geteuid());
  EXPECT_EQ(TempFolder(), own);
  struct stat info;
  ASSERT_EQ(stat(own.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  chmod(own.c_str(), 0777);  // as someone else's would be to us: not ours to use
  EXPECT_EQ(TempFolderName(), own);  // what --help says makes nothing
  EXPECT_EQ(FilesBeginningWith(folder.path, "dxvane-").size(), 1u);
  std::string fresh = TempFolder();
  EXPECT_EQ(fresh.rfind(own + "-", 0), 0u) << fresh;
  WriteFile(fresh + "/QRZ_Data.tmp", "<QRZDatabase>");
  RemoveFreshFolder();  // at the end of the run that made it
  EXPECT_EQ(FilesBeginningWith(folder.path, "dxvane-"), std::vector<std::string>{"dxvane-" + std::to_string(geteuid())});
  SetEnvironmentValue("TEMP", temp);
  SetEnvironmentValue("XDG_RUNTIME_DIR", runtime);
  SetEnvironmentValue("TMPDIR", tmpdir);
  if (temp.empty()) unsetenv("TEMP");
  if (runtime.empty()) unsetenv("XDG_RUNTIME_DIR");
  if (tmpdir.empty()) unsetenv("TMPDIR");
}
