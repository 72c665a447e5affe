#include "tools/elkctl/started.h"

#include <windows.h>

#include "include/elkBase.h"

namespace elkctl {

Started::Started(unsigned long flags) : flags_(flags), status_(basInitLibraryExt(flags)) {}

Started::~Started() {
    // Only the light flag concerns the shut-down; the others shape the start alone.
    if (status_ == 0) basFreeLibraryExt(flags_ & ELK_INIT_LIGHT);
}

}  // namespace elkctl
