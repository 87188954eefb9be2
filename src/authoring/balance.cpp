#include "balance.h"

namespace rf::authoring {

int RunBalance(const std::string&, int) { return 0; }

}  // namespace rf::authoring
