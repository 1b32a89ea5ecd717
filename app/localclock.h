#pragma once

#include "app/platform.h"

// The wall clock in the zone the system has now, from one reading, so that midnight
// cannot fall between the date and the time.
LocalTime readLocalClock();
