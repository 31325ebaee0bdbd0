#pragma once

#include "vecmat/Export.h"

namespace pct {

// An empty helper of the data area; its assignments change nothing.
class VECMAT_API MatDataHelp {
public:
    MatDataHelp() = default;
    MatDataHelp(const MatDataHelp&) = default;
    MatDataHelp(MatDataHelp&&) = default;
    ~MatDataHelp() = default;
    MatDataHelp& operator=(const MatDataHelp&);
    MatDataHelp& operator=(MatDataHelp&&);
};

}  // namespace pct
