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
  EXPECT_TRUE(IsOwnerOnlyFile("kept/settings.ini"));

  std::string readOnly = folder.File("readonly");
  mkdir(readOnly.c_str(), 0700);
  WriteFile(readOnly + "/Config.ini", "old\r\n");
  bool mounted = geteuid() == 0 && system(("mount -t tmpfs -o size=64k tmpfs " + readOnly + " 2>/dev/null").c_str()) == 0;
  if (mounted) {  // root writes anywhere: a read-only file system stops it
    WriteFile(readOnly + "/Config.ini", "old\r\n");
    system(("mount -o remount,ro " + readOnly).c_str());
  } else {
    chmod(readOnly.c_str(), 0500);
  }
  bool saved = WriteConfig(readOnly + "/Config.ini", Saved(), error);
  std::string kept = ReadFileBytes(readOnly + "/Config.ini");
  if (mounted) system(("umount " + readOnly).c_str());
  chmod(readOnly.c_str(), 0700);
  EXPECT_FALSE(saved);
  EXPECT_NE(error.find("cannot write " + readOnly + "/Config.ini.new"), std::string::npos) << error;
  EXPECT_EQ(kept, "old\r\n");
}
