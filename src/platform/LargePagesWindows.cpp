#include "platform/LargePages.h"

namespace platform {

// Large pages on Windows need a privilege that ordinary users lack, and are committed at
// once when granted: ordinary pages serve.
void AdviseLargePages(void*, std::size_t) { }

} // namespace platform
