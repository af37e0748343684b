// Playing an alert sound without waiting for it (the stand-in for PlaySoundW).
#pragma once

#include <string>

// Starting a new sound ends one still playing; no player or no file plays nothing, silently.
void PlaySoundFile(const std::string& path);
// Ends finished players (no defunct processes); called once a pass.
void CollectFinishedSounds();
// Ends a sound still playing; safe to call from a signal handler.
void EndSoundNow();
