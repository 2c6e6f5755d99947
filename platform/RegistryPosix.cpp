#include "platform/Registry.h"

namespace platform {

std::unique_ptr<Registry> CreateSystemRegistry() { return std::make_unique<MemoryRegistry>(); }

}  // namespace platform
