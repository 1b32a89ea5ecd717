#include "sound/soundlog.h"

Q_LOGGING_CATEGORY(lcSound, "pipiron.sound", QtInfoMsg)
