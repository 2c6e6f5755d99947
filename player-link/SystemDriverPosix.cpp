// The choice of the process's driver where no USB driver exists: the bridge
// to the simulated player when it is named, else no player.
#include "player-link/BridgeDriver.h"

namespace playerlink {

Driver& SystemDriver() {
  static const std::unique_ptr<Driver> driver = []() -> std::unique_ptr<Driver> {
    if (auto bridge = BridgeFromEnvironment()) return bridge;
    return std::make_unique<AbsentDriver>();
  }();
  return *driver;
}

}  // namespace playerlink
