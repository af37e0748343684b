// The editor where only POSIX can set the scene: another user, a folder that turns read-only.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "editor/editor.h"
#include "platform/virtual.h"
#include "tests/support.h"

namespace {

const std::string kEnter = "\r";
const std::string kSample = " 40.5 \r\n-105.25 \r\nK1ABC\r\nsecret\r\nABCD-1234\r\nFN42ab\r\n 1 \r\n 0 \r\n";

class EditorPosixTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetVirtualConsole(); }
  ScratchFolder folder;
};

}  // namespace

// Run by another user in a shared folder, the editor neither replaces root's file nor blanks it.
TEST_F(EditorPosixTest, AnotherUsersFileIsNotReplaced) {
  if (geteuid() != 0) GTEST_SKIP() << "playing another user needs root";
  chmod(folder.path.c_str(), 01777);
  WriteFile("Config.ini", kSample);
  chmod("Config.ini", 0644);
  pid_t child = fork();
  if (child == 0) {
    bool saved = setgid(65534) == 0 && setuid(65534) == 0 && EditConfig();
    _exit(saved ? 0 : ScreenRowText(1).find("cannot be written by you here: not edited") != std::string::npos ? 3 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 3);
  struct stat info {};
  ASSERT_EQ(stat("Config.ini", &info), 0);
  EXPECT_EQ(info.st_uid, 0u);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
  EXPECT_EQ(ReadFileBytes("Config.ini"), kSample);
}

TEST_F(EditorPosixTest, ASaveThatFailsSaysWhyAndKeepsTheOldFile) {
  // The folder becomes read-only while the form is open: a file system remounted (root writes
  // anywhere else), or the folder's write bit taken away.
  std::string place = folder.File("place");
  bool mounted = MountSmallFileSystem(place, "64k");
  ASSERT_EQ(chdir(place.c_str()), 0);
  WriteFile("Config.ini", kSample);
  TheConsole().keys.clear();
  for (int i = 0; i < 8; ++i) TheConsole().keys.push_back(kEnter);
  TheConsole().keys.push_back("k");
  TheConsole().onKeyWait = [&] {
    if (TheConsole().keys.size() != 2) return;  // the last field's Enter, then the key after the message
    if (mounted) MakeReadOnly(place);
    else chmod(place.c_str(), 0500);
  };
  bool saved = EditConfig();
  std::string kept = ReadFileBytes("Config.ini");
  ASSERT_EQ(chdir(folder.path.c_str()), 0);
  if (mounted) Unmount(place);
  chmod(place.c_str(), 0700);
  EXPECT_FALSE(saved);
  EXPECT_EQ(kept, kSample);
  EXPECT_EQ(ScreenRowText(12).substr(4, 44), "Config.ini was not saved: cannot write Confi");
  EXPECT_EQ(ScreenRowText(13).substr(4, 25), "Press Any Key to Continue");
  EXPECT_TRUE(TheConsole().keys.empty());  // the key after the message ended it
}
