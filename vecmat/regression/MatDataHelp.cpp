#include "vecmat/regression/MatDataHelp.h"

namespace pct {

MatDataHelp& MatDataHelp::operator=(const MatDataHelp&) { return *this; }

MatDataHelp& MatDataHelp::operator=(MatDataHelp&&) { return *this; }

}  // namespace pct
