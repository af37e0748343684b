// dxvane_startup: the real monitor's start-up, timed from outside as an operator sees it: on a
// terminal of 140x43, from the answer to the logbook question to the first wait's counter
// ("N/15") in the terminal's output; then its memory at rest, after a second.
//   dxvane_startup DXVANE FOLDER QRZ_URL      prints "milliseconds own-kB private-kB"
// FOLDER holds Config.ini, the logbook copy and WSJT-X/; QRZ_URL is the QRZ double's address.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// Reads the terminal until wanted shows, at most timeoutMs; answers the size query on the way.
bool ReadUntil(int terminal, std::string& shown, const std::string& wanted, int timeoutMs) {
  auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  size_t answered = 0;
  while (shown.find(wanted) == std::string::npos) {
    if (Clock::now() > end) return false;
    pollfd in{terminal, POLLIN, 0};
    if (poll(&in, 1, 20) <= 0) continue;
    char bytes[65536];
    ssize_t count = read(terminal, bytes, sizeof bytes);
    if (count <= 0) return false;
    shown.append(bytes, static_cast<size_t>(count));
    size_t query = shown.find("\x1b[18t", answered);
    if (query != std::string::npos) {
      answered = query + 1;
      const char answer[] = "\x1b[8;43;140t";
      if (write(terminal, answer, sizeof answer - 1) < 0) return false;
    }
  }
  return true;
}

struct Memory {
  long privateKb = 0;  // every page only this process maps (smaps_rollup's Private_Clean + Private_Dirty)
  long ownKb = 0;      // of them, what the monitor itself holds: all it wrote, and its program's pages
};

// A process's private memory. The shared libraries' unwritten pages count as private only while
// no other process maps them (libcurl's dependencies, 4 MB, on a machine where nothing else
// runs them), so they are left out of its own memory.
Memory MemoryOf(pid_t pid) {
  std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
  Memory memory;
  std::string line;
  bool library = false;
  while (std::getline(smaps, line)) {
    long kb = 0;
    if (std::sscanf(line.c_str(), "Private_Dirty: %ld kB", &kb) == 1) {
      memory.privateKb += kb;
      memory.ownKb += kb;
    } else if (std::sscanf(line.c_str(), "Private_Clean: %ld kB", &kb) == 1) {
      memory.privateKb += kb;
      if (!library) memory.ownKb += kb;
    } else if (!line.empty() && std::isxdigit(static_cast<unsigned char>(line[0])) && line.find('-') < line.find(' ')) {
      library = line.find(".so") != std::string::npos;  // a mapping's first line: "start-end perms ... path"
    }
  }
  return memory;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: dxvane_startup DXVANE FOLDER QRZ_URL\n");
    return 2;
  }
  std::string folder = argv[2];
  char program[4096];
  if (!realpath(argv[1], program)) return 2;  // the monitor starts in folder
  winsize size{43, 140, 0, 0};
  int terminal = -1;
  pid_t child = forkpty(&terminal, nullptr, nullptr, &size);
  if (child < 0) return 1;
  if (child == 0) {
    if (chdir(folder.c_str()) != 0) _exit(127);
    setenv("TERM", "xterm", 1);
    setenv("LANG", "C.UTF-8", 1);
    setenv("LOCALAPPDATA", folder.c_str(), 1);
    setenv("TEMP", (folder + "/temp").c_str(), 1);
    setenv("DXVANE_QRZ_XML_URL", argv[3], 1);
    setenv("DXVANE_QRZ_LOGBOOK_URL", argv[3], 1);
    execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string shown;
  int status = 1;
  if (ReadUntil(terminal, shown, "Do you want to download your QRZ Log Book?", 10000)) {
    shown.clear();
    auto answered = Clock::now();
    if (write(terminal, "n", 1) == 1 && ReadUntil(terminal, shown, "/15", 10000)) {
      double ms = std::chrono::duration<double, std::milli>(Clock::now() - answered).count();
      std::string rest;
      ReadUntil(terminal, rest, "never shown", 1000);  // at rest: the first wait goes on
      Memory memory = MemoryOf(child);
      std::printf("%.3f %ld %ld\n", ms, memory.ownKb, memory.privateKb);
      status = 0;
    }
  }
  if (status != 0) std::fprintf(stderr, "dxvane_startup: the monitor did not start:\n%s\n", shown.c_str());
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  close(terminal);
  return status;
}
