// Playing an alert sound without waiting for it (the stand-in for PlaySoundW).
#pragma once

#include <string>

// Starting a new sound ends one still playing; no player or no file plays nothing, silently.
void PlaySoundFile(const std::string& path);
