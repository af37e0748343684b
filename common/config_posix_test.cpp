// Saving Config.ini where only POSIX can set the scene: a symbolic link, a read-only file system.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "common/config.h"
#include "platform/files.h"
#include "tests/support.h"

namespace {

ConfigSettings Saved() {
  ConfigSettings settings;
  settings.latitude = 40.5;
  return settings;
}

}  // namespace

// Saved by rename: a link is followed to the file the user keeps; a save that cannot finish
// leaves the old file byte for byte.
TEST(Config, SavingNeverLosesTheOldFile) {
  ScratchFolder folder;
  mkdir("kept", 0700);
  WriteFile("kept/settings.ini", "old\r\n");
  ASSERT_EQ(symlink("kept/settings.ini", "Config.ini"), 0);
  std::string error;
  ASSERT_TRUE(WriteConfig("Config.ini", Saved(), error)) << error;
  struct stat info {};
  EXPECT_EQ(lstat("Config.ini", &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(ReadFileBytes("kept/settings.ini").substr(0, 6), " 40.5 ");

  std::string readOnly = folder.File("readonly");
  mkdir(readOnly.c_str(), 0700);
  WriteFile(readOnly + "/Config.ini", "old\r\n");
  bool mounted = geteuid() == 0 && system(("mount -t tmpfs -o size=64k tmpfs " + readOnly + " 2>/dev/null").c_str()) == 0;
  if (mounted) {  // root writes anywhere: a read-only file system stops it
    WriteFile(readOnly + "/Config.ini", "old\r\n");
    ASSERT_TRUE(MakeReadOnly(readOnly));
  } else {
    chmod(readOnly.c_str(), 0500);
  }
  bool saved = WriteConfig(readOnly + "/Config.ini", Saved(), error);
  std::string kept = ReadFileBytes(readOnly + "/Config.ini");
  if (mounted) Unmount(readOnly);
  chmod(readOnly.c_str(), 0700);
  EXPECT_FALSE(saved);
  EXPECT_NE(error.find("cannot write " + readOnly + "/Config.ini.new-"), std::string::npos) << error;
  EXPECT_EQ(kept, "old\r\n");
}

// A disk that fills up while the new file is written: the save fails and the old file is whole.
TEST(Config, AFullDiskKeepsTheOldFile) {
  ScratchFolder folder;
  if (!MountSmallFileSystem(folder.File("small"), "4k")) GTEST_SKIP() << "mounting a small file system needs root on Linux";
  WriteFile("small/Config.ini", "old\r\n");
  std::string error;
  bool saved = WriteConfig("small/Config.ini", Saved(), error);
  std::string kept = ReadFileBytes("small/Config.ini");
  bool leftover = !FilesBeginningWith("small", "Config.ini.new").empty();
  Unmount(folder.File("small"));
  EXPECT_FALSE(saved);
  EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
  EXPECT_EQ(kept, "old\r\n");
  EXPECT_FALSE(leftover);
}

// A file the user shares keeps its owner, group and mode; a new one is the owner's alone.
TEST(Config, AnExistingFileKeepsItsOwnerAndMode) {
  ScratchFolder folder;
  std::string error;
  ASSERT_TRUE(WriteConfig("Config.ini", Saved(), error)) << error;
  EXPECT_TRUE(IsOwnerOnlyFile("Config.ini"));
  chmod("Config.ini", 0640);
  bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown("Config.ini", 65534, 65534), 0);
  }
  ASSERT_TRUE(WriteConfig("Config.ini", Saved(), error)) << error;
  struct stat info {};
  ASSERT_EQ(stat("Config.ini", &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(info.st_uid, 65534u);
  }
}
