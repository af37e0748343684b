// Giving the terminal back as it was: at the end, on Ctrl+Z, and on every signal that ends us,
// a crash included.
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/console_posix.h"
#include "platform/files.h"
#include "platform/sound.h"

TerminalRestore terminalRestore;

namespace {

// Written as they stand from a signal handler, so they must be complete beforehand.
constexpr char kRestoreSequence[] = "\x1b[0m\x1b[?25h\x1b[0 q\x1b[?7h";
constexpr char kLeaveSecondBuffer[] = "\x1b[?1049l";
constexpr char kPopTitle[] = "\x1b[23;0t";

// Run through a wrapper (sh -c, the demo script), a Ctrl+Z stops the wrapper too and its shell
// may take the terminal back before we give it up: a terminal change from the background would
// then stop us with SIGTTOU inside the handler, and fg would find us stopped again. Only the
// handlers block it: taking the terminal from the background must stop us.
struct TtouBlocked {
  sigset_t old;
  TtouBlocked() {
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGTTOU);
    sigprocmask(SIG_BLOCK, &block, &old);
  }
  ~TtouBlocked() { sigprocmask(SIG_SETMASK, &old, nullptr); }
};

void OnEndingSignal(int signalNumber) {
  {
    TtouBlocked blocked;
    TerminalRestore& r = terminalRestore;
    if (r.endRow[0] && !r.screenTaken) WriteAll(r.endRow, std::strlen(r.endRow));
    RestoreTerminal();
  }
  RemoveUnfinishedFile();  // a half-written copy must not be left behind
  RemoveFreshFolder();
  EndSoundNow();
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);  // delivered when the handler returns; a fault met again ends us there
}

// Ctrl+Z: the terminal goes back as it was, we stop; fg: we take it again (ConsoleFlush).
void OnStopSignal(int) {
  int savedErrno = errno;
  {
    TtouBlocked blocked;
    RestoreTerminal();
  }
  signal(SIGTSTP, SIG_DFL);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &stop, nullptr);
  raise(SIGTSTP);  // stops here until fg
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTSTP, &action, nullptr);
  terminalRestore.resumed = 1;
  errno = savedErrno;
}

void OnResize(int) { terminalRestore.resized = 1; }

}  // namespace

void WriteAll(const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(STDOUT_FILENO, data, size);
    if (written < 0 && errno == EINTR) continue;
    // The terminal went away (a closed window, a dropped SSH link): end as on a hang-up.
    if (written < 0 && errno == EIO) raise(SIGHUP);
    if (written <= 0) return;
    data += written;
    size -= static_cast<size_t>(written);
  }
}

void RestoreTerminal() {
  TerminalRestore& r = terminalRestore;
  WriteAll(kRestoreSequence, sizeof kRestoreSequence - 1);
  if (r.restoreSize[0]) WriteAll(r.restoreSize, std::strlen(r.restoreSize));
  if (r.screenTaken) WriteAll(kLeaveSecondBuffer, sizeof kLeaveSecondBuffer - 1);
  if (r.titlePushed) WriteAll(kPopTitle, sizeof kPopTitle - 1);
  r.screenTaken = 0;
  r.titlePushed = 0;
  if (r.rawTaken) tcsetattr(STDIN_FILENO, TCSAFLUSH, &r.saved);
  r.rawTaken = 0;
}

// SIGXFSZ: a file-size limit met while saving; SIGABRT to SIGILL: a crash (an uncaught
// exception, an out-of-memory end), which must not leave the terminal raw on the second screen.
void CatchSignals() {
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  action.sa_handler = OnEndingSignal;
  for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGXFSZ, SIGABRT, SIGSEGV,
                           SIGBUS, SIGFPE, SIGILL})
    sigaction(signalNumber, &action, nullptr);
  // A connection reset while a request is written is a failed lookup, not the end of the run.
  signal(SIGPIPE, SIG_IGN);
  action.sa_handler = OnStopSignal;
  sigaction(SIGTSTP, &action, nullptr);
  action.sa_handler = OnResize;
  action.sa_flags = SA_RESTART;  // sleeps and key waits still wake, to redraw at once
  sigaction(SIGWINCH, &action, nullptr);
}
