// The monitoring loop: one pass per FT8 period, from the decode file to the coloured table.
#pragma once

#include "monitor/state.h"

inline constexpr int kSlotSeconds = 15;

// Waits for the next period boundary, reads the new decodes, resolves the callers and
// redraws the whole screen. False when the decode file could not be read: the run ends.
bool PollPeriod(MonitorState& state);
// Waits for second 00, 15, 30 or 45, with a progress bar on row 42.
void WaitForSlotBoundary();
// Draws the header, the 36 rows with their colours and alerts, the statistics and legend.
void DrawScreen(MonitorState& state);
