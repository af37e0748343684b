// Alert sounds on POSIX: the first audio player found on PATH, started without waiting.
#include "platform/sound.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/environment.h"

extern char** environ;

namespace {

volatile pid_t playing = 0;

std::string FindPlayer() {
  std::string path = EnvironmentValue("PATH");
  for (const char* player : {"paplay", "pw-play", "aplay", "afplay"}) {
    size_t from = 0;
    while (from <= path.size()) {
      size_t colon = path.find(':', from);
      if (colon == std::string::npos) colon = path.size();
      std::string candidate = path.substr(from, colon - from) + "/" + player;
      if (colon > from && access(candidate.c_str(), X_OK) == 0) return candidate;
      from = colon + 1;
    }
  }
  return "";
}

void StopPlaying() {
  if (playing > 0 && waitpid(playing, nullptr, WNOHANG) == 0) {
    kill(playing, SIGTERM);
    waitpid(playing, nullptr, 0);
  }
  playing = 0;
}

}  // namespace

void CollectFinishedSounds() {
  if (playing > 0 && waitpid(playing, nullptr, WNOHANG) == playing) playing = 0;
}

void EndSoundNow() {
  if (playing > 0) kill(playing, SIGTERM);
}

void PlaySoundFile(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return;
  static const std::string player = FindPlayer();
  if (player.empty()) return;
  StopPlaying();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // The player must not write over the table.
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  char* argv[] = {const_cast<char*>(player.c_str()), const_cast<char*>(path.c_str()), nullptr};
  pid_t started = 0;
  playing = posix_spawn(&started, player.c_str(), &actions, nullptr, argv, environ) == 0 ? started : 0;
  posix_spawn_file_actions_destroy(&actions);
}
