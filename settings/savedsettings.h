#pragma once

#include "settings/wavpath.h"

#include <string>

class TIniFile;

// What the program keeps in its settings file, with the values a file that
// lacks them stands for.
struct SavedSettings {
    bool hint = true;
    bool mini = false;
    int colour = 2;
    // Bytes, as the file holds them.
    std::string wavFile = kDefaultWavFile;
};

SavedSettings readSavedSettings(const TIniFile& ini);
void writeSavedSettings(TIniFile& ini, const SavedSettings& settings);
