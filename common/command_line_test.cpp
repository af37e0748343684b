#include "common/command_line.h"

#include <gtest/gtest.h>

TEST(CommandLine, HelpVersionOrNothingElse) {
  struct Row {
    std::vector<std::string> arguments;
    bool atTerminal;
    bool ends;
    int exitCode;
    const char* printed;  // the start of what goes to standard output
  };
  for (const Row& row : {Row{{}, true, false, 0, ""}, {{"--help"}, false, true, 0, "usage text"},
                         {{"--version"}, false, true, 0, "prog 2021.03.08\n"}, {{"-x"}, true, true, 2, ""},
                         {{"--help", "more"}, true, true, 2, ""}, {{}, false, true, 2, ""}}) {
    std::vector<char*> argv = {const_cast<char*>("prog")};
    for (const std::string& argument : row.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    int exitCode = -1;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    bool ends = EndsAtCommandLine(static_cast<int>(argv.size()), argv.data(), "prog", "usage text\n", row.atTerminal, exitCode);
    std::string out = testing::internal::GetCapturedStdout(), error = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ends, row.ends);
    EXPECT_EQ(exitCode, row.exitCode);
    EXPECT_EQ(out.rfind(row.printed, 0), 0u) << out;
    EXPECT_EQ(error.empty(), row.exitCode == 0) << error;
  }
}
