// The real dxvane in tmux at 140x43, against the local QRZ double.
#include <gtest/gtest.h>

#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/text.h"
#include "platform/files.h"
#include "tests/support.h"
#include "tests/tmux.h"
#include "tools/qrz_double.h"

namespace {

std::string Decode(const std::string& message) {
  return DecodeLine(message, "14.074", "261208_120000") + "\n";
}

class MonitorEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!TmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
    QrzDoubleOptions options = DemoDataOptions();
    ASSERT_TRUE(StartQrzDouble(service, options));
    mkdir("WSJT-X", 0755);
    mkdir("temp", 0755);
    mkdir("fakebin", 0755);
    WriteFile("WSJT-X/ALL.TXT", Decode("CQ OLD1 FN42"));
    WriteFile("WSJT-X/wsjtx_log.adi", "ADIF Export\n<EOH>\n<call:6>VE3KTB <mode:3>FT8 <eor>\n");
    WriteConfig("vane-demo");
    WriteFile("N0VANE.adi.txt", "Download Time Stamp: 12-01-2026 10:00:00\r\n<call:5>OLD1X<mode:3>FT8<eor>\r\n");
    WriteFile("DXAlert.wav", ReadFileBytes(std::string(DXVANE_BIN_DIR) + "/DXAlert.wav"));
    WriteFile("StationAlert.wav", ReadFileBytes(std::string(DXVANE_BIN_DIR) + "/StationAlert.wav"));
    // A stand-in audio player that notes what it was asked to play.
    WriteFile("fakebin/paplay", "#!/bin/sh\necho \"$1\" >> \"" + folder.File("played.txt") + "\"\n");
    chmod("fakebin/paplay", 0755);
  }
  void TearDown() override { StopQrzDouble(service); }

  void WriteConfig(const std::string& password) {
    WriteFile("Config.ini", " 44.98 \r\n-93.27 \r\nN0VANE\r\n" + password + "\r\nA1B2-C3D4-E5F6-0789\r\nEN34\r\n 1 \r\n 1 \r\n");
  }
  // The monitor in its environment, as one simple command.
  std::string MonitorProgram() {
    std::string url = QrzDoubleUrl(service);
    return "PATH=" + folder.File("fakebin") + ":$PATH LOCALAPPDATA=" + folder.path + " TEMP=" + folder.File("temp") +
           " DXVANE_QRZ_XML_URL=" + url + " DXVANE_QRZ_LOGBOOK_URL=" + url + " " + DXVANE_BIN_DIR + "/dxvane";
  }
  // The monitor's command line, with what it says at its end kept in status.txt.
  std::string MonitorCommand() { return MonitorProgram() + "; echo status=$? > status.txt"; }
  bool ProgramStopped(const std::string& name) {
    return WaitForScreen(session, [&](const std::string&) {
      return !RunCommand("ps -eo stat=,args= | grep '^T.*" + std::string(DXVANE_BIN_DIR) + "/" + name + "$'").empty();
    }, 10);
  }
  void StartMonitor(int columns = 140, int rows = 43) {
    session.columns = columns;
    session.rows = rows;
    ASSERT_TRUE(StartInTmux(session, folder.path, MonitorCommand()));
  }
  bool Exited(const std::string& status) {
    return WaitForScreen(session, [&](const std::string&) { return ReadFileBytes("status.txt") == status + "\n"; }, 10);
  }
  void Type(const std::string& command) {
    SendKeys(session, "-l " + Quoted(command));
    SendKeys(session, "Enter");
  }
  static std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
  }
  // The row of the screen that shows call, with its colours.
  const std::vector<ScreenCellRead>* RowOf(const CapturedScreen& screen, const std::string& call) {
    for (const auto& row : screen) {
      std::string text;
      for (const ScreenCellRead& cell : row) text += cell.ch;
      if (text.find("  " + call + " ") == 0) return &row;
    }
    return nullptr;
  }
  void ExpectRowColours(const CapturedScreen& screen, const std::string& call, int foreground, int background) {
    const auto* row = RowOf(screen, call);
    ASSERT_NE(row, nullptr) << call << " is not on the screen";
    EXPECT_EQ((*row)[2].foreground, foreground) << call;
    EXPECT_EQ((*row)[2].background, background) << call;
  }

  ScratchFolder folder;
  QrzDouble service;
  TmuxSession session;
};

}  // namespace

TEST_F(MonitorEndToEnd, ANewcomerSeesTheTableFillInColourAndHearsTheAlerts) {
  StartMonitor();
  ASSERT_TRUE(WaitForText(session, "Do you want to download your QRZ Log Book?", 10)) << CapturePlain(session);
  SendKeys(session, "y");
  ASSERT_TRUE(WaitForText(session, "/15", 10)) << CapturePlain(session);
  EXPECT_NE(ReadFileBytes("N0VANE.adi.txt").find("\r\n<call:5>K2LYV<mode:3>FT8"), std::string::npos);

  AppendFile("WSJT-X/ALL.TXT", Decode("CQ W1AW FN31") + Decode("CQ K2LYV FN32") + Decode("CQ DX PY2XB GG66") +
                                   Decode("CQ ZZ9ZZZ AA00") + Decode("CQ JH3PRR PM74"));
  ASSERT_TRUE(WaitForText(session, "JH3PRR", 35)) << CapturePlain(session);
  CapturedScreen screen = CaptureColoured(session);
  EXPECT_EQ(RowText(screen, 1).substr(0, 16), "  Call       Nam");
  EXPECT_EQ(screen[0][2].foreground, 14);
  EXPECT_EQ(screen[0][2].background, 1);
  ExpectRowColours(screen, "W1AW", 0, 15);
  ExpectRowColours(screen, "K2LYV", 0, 10);
  ExpectRowColours(screen, "PY2XB", 14, 4);
  ExpectRowColours(screen, "ZZ9ZZZ", 0, 7);
  ExpectRowColours(screen, "JH3PRR", 4, 15);
  EXPECT_NE(RowText(screen, 41).find("Total CQ's: 5"), std::string::npos) << RowText(screen, 41);

  AppendFile("WSJT-X/ALL.TXT", Decode("N0VANE ZS6RJ KG44") + Decode("CQ EA7JQ IM77"));
  ASSERT_TRUE(WaitForText(session, "EA7JQ", 35)) << CapturePlain(session);
  ExpectRowColours(CaptureColoured(session), "ZS6RJ", 0, 12);
  // The station alert sounds after the DX alert of the row below, so that it is not cut off.
  ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) { return EndsWith(ReadFileBytes("played.txt"), "StationAlert.wav\n"); }, 5))
      << ReadFileBytes("played.txt");
}

// The service's own refusal: the box, never the password in the terminal's output; a key ends
// the pause, and what to check stays on the normal screen.
TEST_F(MonitorEndToEnd, AWrongPasswordShowsTheSessionErrorBox) {
  WriteConfig("not-my-password");
  StartMonitor();
  RecordOutput(session, folder.File("output.txt"));
  ASSERT_TRUE(WaitForText(session, "Do you want to download", 10));
  SendKeys(session, "n");
  ASSERT_TRUE(WaitForText(session, "<<< Please terminate the program now >>>", 10)) << CapturePlain(session);
  std::string screen = CapturePlain(session);
  EXPECT_NE(screen.find("The Error Message is: Username/password incorrect"), std::string::npos);
  EXPECT_NE(screen.find("glb_QRZMagicWord: ********"), std::string::npos);
  SendKeys(session, "x");
  EXPECT_TRUE(Exited("status=1")) << CapturePlain(session);
  screen = CapturePlain(session);
  EXPECT_NE(screen.find("QRZ refused the session: Username/password incorrect\nCheck the QRZ account name"),
            std::string::npos) << screen;
  EXPECT_LT(screen.find("QRZ refused"), screen.find("Program terminated at "));
  std::string output = ReadFileBytes("output.txt");
  EXPECT_NE(output.find("Username/password incorrect"), std::string::npos);  // the output was recorded
  EXPECT_EQ(output.find("not-my-password"), std::string::npos);
}

// No Config.ini where dxvane was started: it says where to make one, before any question.
TEST_F(MonitorEndToEnd, NoConfigIniSaysWhereToMakeOne) {
  std::remove("Config.ini");
  StartMonitor();
  EXPECT_TRUE(Exited("status=2"));
  EXPECT_NE(CapturePlain(session).find("No Config.ini in " + folder.path + ": make one there with vaneedit, or start"
                                       " dxvane in the folder that holds it"),
            std::string::npos) << CapturePlain(session);
  EXPECT_TRUE(service.requests.empty());
}

// The notice goes as soon as the window is large enough: a resize redraws at once, not at the
// next period.
TEST_F(MonitorEndToEnd, ASmallTerminalIsToldTheSizeItNeeds) {
  StartMonitor(100, 30);
  ASSERT_TRUE(WaitForText(session, "Please make this terminal 140x43 (it is 100x30)", 10)) << CapturePlain(session);
  SendKeys(session, "n");
  ResizeWindow(session, 140, 43);
  ASSERT_TRUE(WaitForScreen(session, [](const std::string& screen) { return screen.find("Please make") == std::string::npos; },
                            3)) << CapturePlain(session);
}

// Run through a wrapper (sh -c, as the demo script does), Ctrl+Z stops the wrapper too and the
// shell takes the terminal back first: both programs still give it back, come back with fg,
// and end with Ctrl+C.
TEST_F(MonitorEndToEnd, ThroughAWrapperCtrlZFgAndCtrlCStillWork) {
  ASSERT_TRUE(StartShellInTmux(session, folder.path));
  ASSERT_TRUE(WaitForText(session, "$", 10));
  Type("stty -a > before.txt");
  struct Program {
    std::string command;
    const char* name;
    const char* shows;
  };
  for (const Program& program : {Program{"sh -c " + Quoted(MonitorCommand()), "dxvane", "Do you want to download"},
                                 Program{"sh -c " + Quoted(std::string(DXVANE_BIN_DIR) + "/vaneedit"), "vaneedit",
                                         "Enter your latitude:"}}) {
    Type("clear; " + program.command);
    ASSERT_TRUE(WaitForText(session, program.shows, 10)) << CapturePlain(session);
    SendKeys(session, "C-z");
    // The wrapper stops first and the shell may print its "Stopped" before we leave the
    // alternate screen, where it is not seen: the program's state says it.
    ASSERT_TRUE(ProgramStopped(program.name)) << CapturePlain(session);
    Type("clear; fg");
    ASSERT_TRUE(WaitForText(session, program.shows, 10)) << CapturePlain(session);
    SendKeys(session, "C-c");
    Type("stty -a > after.txt");
    ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) { return !ReadFileBytes("after.txt").empty(); }, 10))
        << program.command << "\n" << CapturePlain(session);
    EXPECT_EQ(ReadFileBytes("after.txt"), ReadFileBytes("before.txt")) << program.command;
    std::remove("after.txt");
  }
}

// A new WSJT-X install has neither file: the monitor waits for them instead of ending.
TEST_F(MonitorEndToEnd, ANewInstallWaitsForWsjtxFiles) {
  std::remove("WSJT-X/ALL.TXT");
  std::remove("WSJT-X/wsjtx_log.adi");
  StartMonitor();
  ASSERT_TRUE(WaitForText(session, "Do you want to download", 10));
  SendKeys(session, "n");
  ASSERT_TRUE(WaitForText(session, "Waiting for ALL.TXT", 35)) << CapturePlain(session);
  WriteFile("WSJT-X/ALL.TXT", Decode("CQ W1AW FN31"));
  ASSERT_TRUE(WaitForText(session, "W1AW", 35)) << CapturePlain(session);
  EXPECT_EQ(CapturePlain(session).find("Waiting for ALL.TXT"), std::string::npos);
}

// A day's faults while monitoring: the decode file erased and refilled, then gone and back;
// WSJT-X's log gone at a reload; the QRZ service failing, then recovering. The loop goes on,
// no row shows another station's data, and recovered stations get their rows.
TEST_F(MonitorEndToEnd, TheMonitorRidesOutFaultsAndRecovers) {
  StartMonitor();
  ASSERT_TRUE(WaitForText(session, "Do you want to download", 10)) << CapturePlain(session);
  SendKeys(session, "n");
  ASSERT_TRUE(WaitForText(session, "/15", 10)) << CapturePlain(session);
  AppendFile("WSJT-X/ALL.TXT", Decode("CQ W1AW FN31"));
  ASSERT_TRUE(WaitForText(session, "ARRL HQ OPERATORS CLUB", 35)) << CapturePlain(session);

  service.fault = QrzFault::kHttpError;
  std::remove("WSJT-X/wsjtx_log.adi");
  WriteFile("WSJT-X/ALL.TXT", Decode("CQ PY2XB GG66") + Decode("CQ DL5NAM JO43"));  // erased and refilled
  ASSERT_TRUE(WaitForText(session, "DL5NAM     QRZ lookup failed", 35)) << CapturePlain(session);
  ExpectRowColours(CaptureColoured(session), "DL5NAM", 14, 4);  // unconfirmed DX by its prefix
  EXPECT_NE(CapturePlain(session).find("PY2XB      QRZ lookup failed"), std::string::npos);

  service.fault = QrzFault::kNone;
  std::remove("WSJT-X/ALL.TXT");
  ASSERT_TRUE(WaitForText(session, "Waiting for ALL.TXT", 35)) << CapturePlain(session);
  WriteFile("WSJT-X/ALL.TXT", Decode("CQ PY2XB GG66") + Decode("CQ DL5NAM JO43"));
  ASSERT_TRUE(WaitForText(session, "Jens Hoffmann", 35)) << CapturePlain(session);
  std::string screen = CapturePlain(session);
  EXPECT_NE(screen.find("Joao Silva"), std::string::npos);
  EXPECT_EQ(screen.find("Waiting for ALL.TXT"), std::string::npos);
  ExpectRowColours(CaptureColoured(session), "PY2XB", 14, 4);
  EXPECT_EQ(ReadFileBytes("status.txt"), "");  // still running
}

// Ctrl+Z, fg and Ctrl+C as an operator at a shell uses them: the terminal comes back as it
// was every time (modes, main screen, title), and the monitor takes it again whole.
TEST_F(MonitorEndToEnd, TheTerminalIsGivenBackAsItWasOnEveryWayOut) {
  ASSERT_TRUE(StartShellInTmux(session, folder.path));
  ASSERT_TRUE(WaitForText(session, "$", 10));
  Type("stty -a > before.txt; printf '\\033]0;my title\\007'");
  Type(MonitorCommand());
  ASSERT_TRUE(WaitForText(session, "Do you want to download", 10)) << CapturePlain(session);
  EXPECT_EQ(WindowTitle(session), "Dxvane By Orlan Vesk QQ0QQQ v2021.03.08");
  SendKeys(session, "C-z");
  ASSERT_TRUE(WaitForText(session, "Stopped", 10)) << CapturePlain(session);
  EXPECT_EQ(WindowTitle(session), "my title");
  Type("stty -a > stopped.txt; fg");
  ASSERT_TRUE(WaitForText(session, "Do you want to download", 10)) << CapturePlain(session);
  SendKeys(session, "n");
  ASSERT_TRUE(WaitForText(session, "/15", 10)) << CapturePlain(session);
  EXPECT_EQ(CapturePlain(session).find("stty"), std::string::npos);  // the alternate screen again, redrawn
  SendKeys(session, "C-c");
  Type("echo status=$? > status.txt; stty -a > after.txt");  // a stopped job's list goes no further
  EXPECT_TRUE(Exited("status=130")) << ReadFileBytes("status.txt");
  ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) { return !ReadFileBytes("after.txt").empty(); }, 10));
  EXPECT_EQ(ReadFileBytes("stopped.txt"), ReadFileBytes("before.txt"));
  EXPECT_EQ(ReadFileBytes("after.txt"), ReadFileBytes("before.txt"));
  EXPECT_EQ(WindowTitle(session), "my title");
  EXPECT_NE(CapturePlain(session).find("stty -a > before.txt"), std::string::npos);  // the main screen is back

  // And an end after an error: QRZ refuses the password.
  WriteConfig("not-my-password");
  std::remove("status.txt");
  Type(MonitorCommand() + "; stty -a > after-error.txt");
  ASSERT_TRUE(WaitForText(session, "Do you want to download", 10)) << CapturePlain(session);
  SendKeys(session, "n");
  ASSERT_TRUE(WaitForText(session, "Please terminate the program now", 25)) << CapturePlain(session);
  SendKeys(session, "Enter");
  EXPECT_TRUE(Exited("status=1")) << ReadFileBytes("status.txt");
  ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) { return !ReadFileBytes("after-error.txt").empty(); }, 10));
  EXPECT_EQ(ReadFileBytes("after-error.txt"), ReadFileBytes("before.txt"));
  EXPECT_EQ(WindowTitle(session), "my title");
}

// A crash (an uncaught exception aborts, a fault) still gives the terminal back before the end
// it would have had; a connection reset under a request (SIGPIPE) ends nothing.
TEST_F(MonitorEndToEnd, ACrashGivesTheTerminalBackAndAResetConnectionEndsNothing) {
  ASSERT_TRUE(StartShellInTmux(session, folder.path));
  ASSERT_TRUE(WaitForText(session, "$", 10));
  Type("stty -a > before.txt");
  // The signal goes to this test's monitor alone (the one working in its folder): other tests
  // may run a monitor meanwhile.
  auto send = [this](const std::string& signal) {
    RunCommand("for p in $(pgrep -f '^" + std::string(DXVANE_BIN_DIR) + "/dxvane$'); do [ \"$(readlink /proc/$p/cwd)\" = '" +
               folder.path + "' ] && kill -" + signal + " $p; done");
  };
  for (auto [signal, status] : {std::pair{"ABRT", "status=134"}, {"SEGV", "status=139"}}) {
    std::remove("status.txt");
    Type("clear; " + MonitorCommand() + "; stty -a > after.txt");
    ASSERT_TRUE(WaitForText(session, "Do you want to download", 10)) << CapturePlain(session);
    send("PIPE");
    sleep(1);
    EXPECT_NE(CapturePlain(session).find("Do you want to download"), std::string::npos) << "SIGPIPE ended the run";
    send(signal);
    EXPECT_TRUE(Exited(status)) << signal << ": " << ReadFileBytes("status.txt");
    ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) { return !ReadFileBytes("after.txt").empty(); }, 10));
    EXPECT_EQ(ReadFileBytes("after.txt"), ReadFileBytes("before.txt")) << signal;
    std::remove("after.txt");
  }
}

// A closed window or a dropped SSH link: the monitor ends instead of querying QRZ for no one.
TEST_F(MonitorEndToEnd, ATerminalThatGoesAwayEndsTheMonitor) {
  session.socket.clear();
  ASSERT_TRUE(StartInTmux(session, folder.path, "echo $$ > monitor.pid; exec env " + MonitorCommand().substr(0, MonitorCommand().find(';'))));
  ASSERT_TRUE(WaitForText(session, "Do you want to download", 10)) << CapturePlain(session);
  SendKeys(session, "n");
  ASSERT_TRUE(WaitForText(session, "/15", 10));
  pid_t pid = std::stoi(ReadFileBytes("monitor.pid"));
  RunCommand("tmux -L " + session.socket + " kill-server");
  session.socket.clear();
  bool ended = false;
  for (int i = 0; i < 50 && !ended; ++i) {
    ended = kill(pid, 0) != 0;
    usleep(100000);
  }
  EXPECT_TRUE(ended);
}

// Without a person at a terminal there is nobody to answer: it says so and ends.
TEST(CommandLineEndToEnd, HelpVersionAndNoTerminal) {
  ScratchFolder folder;
  for (const char* program : {"dxvane", "vaneedit"}) {
    std::string path = std::string(DXVANE_BIN_DIR) + "/" + program;
    EXPECT_NE(RunCommand(path + " --help; echo status=$?").find("Usage: " + std::string(program)), std::string::npos);
    EXPECT_EQ(RunCommand(path + " --version"), std::string(program) + " 2021.03.08\n");
    EXPECT_NE(RunCommand(path + " --bogus 2>&1; echo status=$?").find("status=2"), std::string::npos);
    std::string alone = RunCommand(path + " </dev/null 2>&1; echo status=$?");
    EXPECT_NE(alone.find("needs a terminal"), std::string::npos) << alone;
    EXPECT_NE(alone.find("status=2"), std::string::npos) << alone;
  }
  EXPECT_FALSE(FileExists("Config.ini"));
}

// Over a link of more than 100 ms, the terminal's answer to the size query comes after the
// monitor stopped waiting for it: it is no key, and the logbook question still waits for one.
TEST_F(MonitorEndToEnd, ALateAnswerToTheSizeQueryAnswersNothing) {
  winsize size{43, 140, 0, 0};
  int terminal = -1;
  pid_t child = forkpty(&terminal, nullptr, nullptr, &size);
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::string command = "TERM=xterm " + MonitorCommand();
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string shown;
  auto readUntil = [&](const std::string& wanted, int milliseconds) {
    for (int waited = 0; shown.find(wanted) == std::string::npos && waited < milliseconds; waited += 50) {
      pollfd in{terminal, POLLIN, 0};
      char bytes[4096];
      ssize_t count = poll(&in, 1, 50) > 0 ? read(terminal, bytes, sizeof bytes) : 0;
      if (count > 0) shown.append(bytes, static_cast<size_t>(count));
    }
    return shown.find(wanted) != std::string::npos;
  };
  EXPECT_TRUE(readUntil("\x1b[18t", 5000));
  usleep(250 * 1000);
  const std::string answer = "\x1b[8;43;140t";
  ASSERT_EQ(write(terminal, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
  EXPECT_TRUE(readUntil("Do you want to download your QRZ Log Book?", 5000));
  EXPECT_FALSE(readUntil("establishing QRZ Connection", 1500)) << "the answer was taken for a key";
  ASSERT_EQ(write(terminal, "n", 1), 1);
  EXPECT_TRUE(readUntil("establishing QRZ Connection", 5000));
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  close(terminal);
}

// Started with & from dash or bash, or sent there with Ctrl+Z and bg, a program stops when it
// would take the terminal ("Stopped (tty output)"), as every terminal program does: the shell
// keeps its terminal as it was and lives on, and fg brings the program up.
TEST_F(MonitorEndToEnd, StartedInTheBackgroundBothProgramsWaitForFg) {
  struct Program {
    std::string command;
    const char* name;
    const char* shows;
  };
  for (const char* shell : {"dash -i", "bash --norc --noprofile -i"}) {
    session.~TmuxSession();  // the last shell's server goes
    new (&session) TmuxSession();
    ASSERT_TRUE(StartShellInTmux(session, folder.path, shell));
    ASSERT_TRUE(WaitForText(session, "$", 10));
    Type("stty -a > before.txt");
    for (const Program& program : {Program{MonitorProgram(), "dxvane", "Do you want to download"},
                                   Program{std::string(DXVANE_BIN_DIR) + "/vaneedit", "vaneedit", "Enter your latitude:"}}) {
      Type(program.command + " &");
      ASSERT_TRUE(ProgramStopped(program.name)) << shell << "\n" << CapturePlain(session);
      Type("stty -a > after.txt");  // answered only by a shell that lives
      ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) { return !ReadFileBytes("after.txt").empty(); }, 10))
          << shell << " " << program.name << "\n" << CapturePlain(session);
      EXPECT_EQ(ReadFileBytes("after.txt"), ReadFileBytes("before.txt")) << shell << " " << program.name;
      std::remove("after.txt");
      Type("fg");
      ASSERT_TRUE(WaitForText(session, program.shows, 10)) << shell << "\n" << CapturePlain(session);
      if (std::string(program.name) == "dxvane") {
        SendKeys(session, "C-z");
        ASSERT_TRUE(ProgramStopped(program.name)) << CapturePlain(session);
        Type("clear; bg");
        sleep(1);
        EXPECT_TRUE(ProgramStopped(program.name)) << shell << ": bg let it draw over the shell";
        EXPECT_EQ(CapturePlain(session).find(program.shows), std::string::npos) << CapturePlain(session);
        Type("fg");
        ASSERT_TRUE(WaitForText(session, program.shows, 10)) << shell << "\n" << CapturePlain(session);
      }
      SendKeys(session, "C-c");
      ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) {
        return RunCommand("ps -eo args= | grep '^" + std::string(DXVANE_BIN_DIR) + "/" + program.name + "$'").empty();
      }, 10)) << CapturePlain(session);
    }
  }
}
