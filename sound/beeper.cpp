#include "sound/beeper.h"

#include "sound/audioengine.h"

bool Beeper::beep(unsigned type) {
    AudioEngine& engine = AudioEngine::instance();
    if (engine.deviceLost()) {
        engine.prepare(0);
        return false;
    }
    engine.beep(type);
    return true;
}
