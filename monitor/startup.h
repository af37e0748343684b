// The monitor's start-up and its ending.
#pragma once

#include <string>

#include "monitor/state.h"

inline constexpr const char* kBanner = "Dxvane By Orlan Vesk QQ0QQQ v2021.03.08";

// Settings, console, the logbook question, the session, the lists, the decode file's end
// and the start time. False when the run must end (no session, no WSJT-X log).
bool StartUp(MonitorState& state);
// The worked list (the QRZ logbook copy, then WSJT-X's log) and the confirmed list, each
// announced on its start-up line. False when WSJT-X's log could not be read: the run ends.
bool BuildStartUpLists(MonitorState& state);
// Settings from Config.ini into the program-wide variables and the alert switches.
void LoadSettings(MonitorState& state);
// Clears the screen and shows "Program terminated at " with the date and time; returns that line.
std::string Terminate();
// The whole run: start-up, the loop until a failure, termination; the exit status (never 0,
// since every end of a run is a failure).
int RunMonitor();
