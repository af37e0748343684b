#include "common/command_line.h"

#include <gtest/gtest.h>

TEST(CommandLine, HelpVersionOrNothingElse) {
  struct Row {
    std::vector<std::string> arguments;
    const char* terminalProblem;
    bool ends;
    int exitCode;
    const char* printed;  // the start of what goes to standard output
    const char* said;  // the start of what goes to standard error
    const char* rig = "";
    bool byBand = false;
  };
  const char* noTerminal = "no terminal";
  for (const Row& row : {Row{{}, "", false, 0, "", ""}, {{"--help"}, noTerminal, true, 0, "usage text", ""},
                         {{"--version"}, noTerminal, true, 0, "prog 2021.03.08\n", ""},
                         {{"-x"}, "", true, 2, "", "prog: unknown argument -x\n"},
                         {{"--help", "more"}, "", true, 2, "", "prog: unknown argument more\n"},
                         {{}, noTerminal, true, 2, "", "prog: no terminal\n"},
                         {{"--rig", "IC-7300"}, "", false, 0, "", "", "IC-7300"},  // a second radio's WSJT-X
                         {{"--rig"}, "", true, 2, "", "prog: unknown argument --rig\n"},
                         {{"--rig", "A", "-x"}, "", true, 2, "", "prog: unknown argument -x\n", "A"},
                         {{"--by-band", "--rig", "B"}, "", false, 0, "", "", "B", true}}) {
    std::vector<char*> argv = {const_cast<char*>("prog")};
    for (const std::string& argument : row.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    int exitCode = -1;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    MonitorOptions options;
    bool ends = EndsAtCommandLine(static_cast<int>(argv.size()), argv.data(), "prog", "usage text\n", row.terminalProblem,
                                  exitCode, &options);
    EXPECT_EQ(options.rigName, row.rig) << row.said;
    EXPECT_EQ(options.byBand, row.byBand) << row.said;
    std::string out = testing::internal::GetCapturedStdout(), error = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ends, row.ends);
    EXPECT_EQ(exitCode, row.exitCode);
    EXPECT_EQ(out.rfind(row.printed, 0), 0u) << out;
    EXPECT_EQ(error.rfind(row.said, 0), 0u) << error;
    EXPECT_EQ(error.empty(), row.exitCode == 0) << error;
  }
}
