// The command line of player-sim (see PlayerSim.cpp for the whole of it).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/Result.h"
#include "player-link/SimulatedPlayer.h"

namespace playersim {

// A file put on the player at start: the PC file's bytes under the stored
// name (the sender's full path, as a program would write it).
struct SeedFile {
  playerlink::sim::MediumId medium = playerlink::sim::MediumId::kInternal;
  std::string name;  // UTF-8
  std::string source;
};

struct Options {
  std::string storage;
  std::uint16_t port = 0;
  std::string portFile;
  unsigned lifetimeSeconds = 3600;
  // A pause before each block on a pipe is answered (a slow player).
  unsigned blockDelayMs = 0;
  std::optional<std::uint32_t> identifier;
  playerlink::sim::PlayerSettings player;
  playerlink::sim::Faults faults;
  std::vector<SeedFile> seeds;
};

common::Result<Options> ParseOptions(const std::vector<std::string>& args);
// Adds one --fault specification.
common::Result<void> AddFault(playerlink::sim::Faults& faults, const std::string& spec);

}  // namespace playersim
