#pragma once

#include <string>

#include "vecmat/Export.h"

namespace pct {

// Converts a library message (GBK bytes, as carried by what()) to UTF-8 for display.
// Bytes that are not valid GBK come out as U+FFFD.
VECMAT_API std::string MessageToUtf8(const char* gbkMessage);

}  // namespace pct
