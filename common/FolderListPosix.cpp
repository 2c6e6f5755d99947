// The PC's drives on Linux: one root.
#include "common/FolderList.h"

namespace common {

std::vector<std::string> ListDrives() { return {"/"}; }

}  // namespace common
