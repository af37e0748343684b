// The real vaneedit in tmux: typing the eight settings, then dxvane using them.
#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "tests/support.h"
#include "tests/tmux.h"
#include "tools/qrz_double.h"

namespace {

class EditorEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!TmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
  }
  void Type(const std::string& text) { SendKeys(session, "-l -- '" + text + "'"); }
  void Press(const std::string& keys) { SendKeys(session, keys); }
  // Waits until the editor has drawn what was typed (keys are read one at a time).
  bool Shows(const std::string& text) { return WaitForText(session, text, 10); }
  // True when the field of this form row is the one being edited (yellow on red).
  bool Editing(int row) {
    CapturedScreen screen = CaptureColoured(session);
    return static_cast<int>(screen.size()) >= row && screen[row - 1].size() > 27 && screen[row - 1][27].background == 4;
  }

  ScratchFolder folder;
  TmuxSession session;
};

}  // namespace

TEST_F(EditorEndToEnd, AUserFillsInTheFormAndTheMonitorUsesIt) {
  ASSERT_TRUE(StartInTmux(session, folder.path, std::string(DXVANE_BIN_DIR) + "/vaneedit"));
  ASSERT_TRUE(Shows("<<< FT-8 Configuration file Editor >>>")) << CapturePlain(session);
  ASSERT_TRUE(Shows("Enter your latitude:"));

  // Latitude, corrected with Home and Insert: 4.98 becomes 44.98. A letter is refused.
  Type("4.98x");
  Press("Home Insert");
  Type("4");
  ASSERT_TRUE(Shows("44.98"));
  CapturedScreen screen = CaptureColoured(session);
  EXPECT_EQ(RowText(screen, 3).substr(26, 5), "44.98");
  EXPECT_EQ(screen[2][26].foreground, 14);
  EXPECT_EQ(screen[2][26].background, 4);
  Press("Enter");
  ASSERT_TRUE(Shows("Enter your longitude:"));
  Type("-93.27");
  Press("Up");  // back to the latitude, then on again
  ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) { return Editing(3); }, 10)) << CapturePlain(session);
  EXPECT_NE(CapturePlain(session).find("Enter your longitude: -93.27"), std::string::npos);
  Press("Enter");
  Press("Enter");
  ASSERT_TRUE(Shows("Enter your QRZ Account Name:"));
  Type("n0vane");
  Press("Enter");
  ASSERT_TRUE(Shows("Enter your QRZ Password:"));
  Type("vane,demo");
  Press("Tab");
  ASSERT_TRUE(Shows("Enter your QRZ Log Book API Key:"));
  Type("A1B2-C3D4-E5F6-0789");
  Press("Down");
  ASSERT_TRUE(Shows("Enter your Grid:"));
  Type("en34");
  Press("Enter");
  ASSERT_TRUE(Shows("Enable DX Alert 0=disable 1=enable:"));
  Type("1");
  Press("Enter");
  ASSERT_TRUE(Shows("Enable Station Alert 0=Disables 1=Enabled:"));
  Type("21");
  Press("Enter");
  ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) { return IsOwnerOnlyFile("Config.ini"); }, 10));
  EXPECT_EQ(ReadFileBytes("Config.ini"),
            " 44.98 \r\n-93.27 \r\nN0VANE\r\n\"vane,demo\"\r\nA1B2-C3D4-E5F6-0789\r\nen34\r\n 1 \r\n 1 \r\n");

  // The monitor logs in with what was typed, the comma in the password included.
  QrzDoubleOptions options = DemoDataOptions();
  options.password = "vane,demo";
  QrzDouble service;
  ASSERT_TRUE(StartQrzDouble(service, options));
  mkdir("WSJT-X", 0755);
  WriteFile("WSJT-X/ALL.TXT", "");
  WriteFile("WSJT-X/WSJTX_log.adi", "<EOH>\n");
  WriteFile("N0VANE.adi.txt", "Download Time Stamp: 12-01-2026 10:00:00\r\n");
  TmuxSession monitor;
  std::string url = QrzDoubleUrl(service);
  ASSERT_TRUE(StartInTmux(monitor, folder.path,
                          "LOCALAPPDATA=" + folder.path + " TEMP=" + folder.path + " DXVANE_QRZ_XML_URL=" + url + " " +
                              DXVANE_BIN_DIR + "/dxvane"));
  ASSERT_TRUE(WaitForText(monitor, "Do you want to download", 10)) << CapturePlain(monitor);
  SendKeys(monitor, "n");
  ASSERT_TRUE(WaitForText(monitor, "/15", 10)) << CapturePlain(monitor);
  {
    std::lock_guard<std::mutex> lock(service.mutex);
    ASSERT_FALSE(service.requests.empty());
    EXPECT_EQ(service.requests.front(), "/xml/current/?username=N0VANE;password=vane%2Cdemo;agent=QQQv2");
  }
  StopQrzDouble(service);
}

// Ctrl+C in the middle of the form: the old settings stay byte for byte, and the shell gets
// its terminal back as it was.
TEST_F(EditorEndToEnd, CtrlCLeavesTheSettingsAndTheTerminalAsTheyWere) {
  const std::string old = " 1 \r\n 2 \r\nN0VANE\r\nsecret\r\nKEY\r\nEN34\r\n 1 \r\n 0 \r\n";
  WriteFile("Config.ini", old);
  ASSERT_TRUE(StartShellInTmux(session, folder.path));
  ASSERT_TRUE(Shows("$"));
  Type("stty -a > before.txt; " + std::string(DXVANE_BIN_DIR) + "/vaneedit");
  Press("Enter");
  ASSERT_TRUE(Shows("Enter your latitude:")) << CapturePlain(session);
  Type("9");
  Press("Enter");
  ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) { return Editing(4); }, 10));
  Press("C-c");
  Type("echo status=$? > status.txt; stty -a > after.txt");
  Press("Enter");
  ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) { return !ReadFileBytes("after.txt").empty(); }, 10));
  std::string screen = CapturePlain(session);  // the prompt came below the form, not inside it
  size_t typed = screen.find("echo status=$?");
  ASSERT_NE(typed, std::string::npos) << screen;
  EXPECT_GE(std::count(screen.begin(), screen.begin() + static_cast<std::ptrdiff_t>(typed), '\n'), 13) << screen;
  EXPECT_EQ(ReadFileBytes("status.txt"), "status=130\n");
  EXPECT_EQ(ReadFileBytes("after.txt"), ReadFileBytes("before.txt"));
  EXPECT_EQ(ReadFileBytes("Config.ini"), old);

  // And at a normal end: eight Enters save the same settings and give the terminal back.
  Type("clear; " + std::string(DXVANE_BIN_DIR) + "/vaneedit; echo status=$? > status2.txt; stty -a > after2.txt");
  Press("Enter");
  // The first run's form is still on the screen: wait for the new one to edit its first field.
  // Keys sent before it takes the keyboard would be flushed with the shell's line.
  ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) { return Editing(3); }, 10)) << CapturePlain(session);
  for (int field = 0; field < 8; ++field) Press("Enter");
  ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) { return !ReadFileBytes("after2.txt").empty(); }, 10));
  EXPECT_EQ(ReadFileBytes("status2.txt"), "status=0\n");
  EXPECT_EQ(ReadFileBytes("after2.txt"), ReadFileBytes("before.txt"));
  EXPECT_EQ(ReadFileBytes("Config.ini"), old);
}

// Over a slow SSH link an arrow key's bytes can arrive apart: Esc, then "[A" a moment later.
// It is still Up, never Esc and "[A" typed into the next field.
TEST_F(EditorEndToEnd, AnArrowKeySplitOverASlowLinkIsStillOneKey) {
  WriteFile("Config.ini", " 1 \r\n 2 \r\nN0VANE\r\nsecret\r\nKEY\r\nEN34\r\n 1 \r\n 0 \r\n");
  ASSERT_TRUE(StartInTmux(session, folder.path, std::string(DXVANE_BIN_DIR) + "/vaneedit"));
  ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) { return Editing(3); }, 10)) << CapturePlain(session);
  Press("Enter");
  ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) { return Editing(4); }, 10)) << CapturePlain(session);
  Press("-H 1b");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  Type("[A");
  ASSERT_TRUE(WaitForScreen(session, [&](const std::string&) { return Editing(3); }, 10)) << CapturePlain(session);
  EXPECT_EQ(CapturePlain(session).find("[A"), std::string::npos);
}
