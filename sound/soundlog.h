#pragma once

#include <QLoggingCategory>

// What the sound libraries say about devices and drivers: silent unless asked
// for with QT_LOGGING_RULES="pipiron.sound.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcSound)
