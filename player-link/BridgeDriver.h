// The driver that reaches the standalone simulated player over loopback TCP
// (see BridgeFrame.h). A session connects when its first device opens; a
// connection that cannot be made, or breaks, looks like a player that is not
// there: devices do not open and calls fail.
#pragma once

#include "player-link/BridgeFrame.h"
#include "player-link/Driver.h"

namespace playerlink {

class BridgeDriver : public Driver {
 public:
  explicit BridgeDriver(bridge::Address address) : address_(address) {}
  std::unique_ptr<DriverSession> NewSession() override;

 private:
  bridge::Address address_;
};

// A driver whose devices never open (no player, or a bad bridge address).
class AbsentDriver : public Driver {
 public:
  std::unique_ptr<DriverSession> NewSession() override;
};

// The driver kBridgeVariable names: the bridge for a good address, an absent
// player for a bad one; null when the variable is not set.
std::unique_ptr<Driver> BridgeFromEnvironment();

}  // namespace playerlink
