// Alert sounds on Windows: PlaySoundW plays a WAV file in the background.
#include "platform/sound.h"

#include <windows.h>
#include <mmsystem.h>

#include "platform/files.h"
#include "platform/wide_win32.h"

void PlaySoundFile(const std::string& path) {
  // Without SND_NODEFAULT a missing file would play the system's default sound instead.
  if (!FileExists(path)) return;
  PlaySoundW(WideFromUtf8(path).c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
}

// PlaySoundW leaves nothing behind to collect.
void CollectFinishedSounds() {}

void EndSoundNow() { PlaySoundW(nullptr, nullptr, 0); }
