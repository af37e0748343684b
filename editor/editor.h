// vaneedit: the one-screen form for the eight settings of Config.ini.
#pragma once

#include "common/config.h"

// The whole run: reads Config.ini, walks the eight fields, writes the file whole. False when
// it could not be saved: the form then says why and waits for a key.
bool EditConfig();
// Paints the title and the eight labels with their values.
void ShowConfigForm(const ConfigSettings& settings);
