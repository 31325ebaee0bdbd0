#pragma once

// Umbrella header: every public header of the library.

#include "vecmat/Export.h"
#include "vecmat/MessageText.h"
