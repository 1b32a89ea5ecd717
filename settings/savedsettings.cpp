#include "settings/savedsettings.h"

#include "settings/inifile.h"

namespace {

const char* const kSection = "SETUP";

}  // namespace

SavedSettings readSavedSettings(const TIniFile& ini) {
    const SavedSettings defaults;
    return {ini.ReadBool(kSection, "HINT", defaults.hint),
            ini.ReadBool(kSection, "MINI", defaults.mini),
            ini.ReadInteger(kSection, "COLOR", defaults.colour),
            ini.ReadString(kSection, "WAVFILE", defaults.wavFile)};
}

void writeSavedSettings(TIniFile& ini, const SavedSettings& settings) {
    ini.WriteBool(kSection, "HINT", settings.hint);
    ini.WriteBool(kSection, "MINI", settings.mini);
    ini.WriteInteger(kSection, "COLOR", settings.colour);
    ini.WriteString(kSection, "WAVFILE", settings.wavFile);
}
