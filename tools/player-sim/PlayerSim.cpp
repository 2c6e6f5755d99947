// player-sim: a simulated player as a process of its own, so that the
// Windows programs under Wine can reach a player. It keeps its media in a
// folder and serves the programs' bridge on 127.0.0.1; the programs use it
// when PLAYER_LINK_BRIDGE=127.0.0.1:<port> is set in their environment.
//
//   player-sim --storage DIR [options]
//
//   --storage DIR         the player's media (created when missing; kept across runs):
//                         DIR/identifier, DIR/internal/{order,files/,headers/}, DIR/card/...
//   --port N              the port to listen on; 0 (the default) takes a free one
//   --port-file FILE      writes the port there (as decimal text) once listening
//   --lifetime SECONDS    ends after this long (default 3600; at most 604800)
//   --block-delay-ms N    answers each block on a pipe N ms late (a slow player; default 0)
//   --pace usb11|BYTES_PER_SECOND[,LATENCY_MS]
//                         answers at a real player's speed: each command LATENCY_MS late and
//                         every transfer at BYTES_PER_SECOND; usb11 is USB 1.1 full speed
//                         (1000000 bytes a second, 3 ms a command); default: at once
//   --identifier HEX      the player's identifier (else the one kept in DIR, else random)
//   --model XXYY          model bytes 9 and 8 in hexadecimal (default F012)
//   --firmware N          firmware version times ten (default 14)
//   --internal-bytes N    capacity of the built-in memory (default 134217728)
//   --card-bytes N        capacity of the card (default 67108864)
//   --no-card             no card in the player: every card command answers 0
//   --unformatted MEDIUM  internal or card counts 30718 directory blocks until formatted
//   --add MEDIUM:NAME=FILE  puts the PC file FILE on the medium (internal or card) at start,
//                         stored under NAME (UTF-8, a PC path as the programs write it);
//                         repeatable
//   --fault SPEC          a fault, repeatable:
//       open:control|in|out          that device does not open
//       fail:CODE[@MEDIUM]           the control call for command CODE fails
//       answer:CODE=R[,C][@MEDIUM]   command CODE answers result R (and count C), not carried out
//       short-read:K[@CODE]          the K-th block read after a command (CODE) moves half a block
//       short-write:K[@CODE]         the same for blocks written
//       bad-tag:K                    directory block K (1 = the information block) lacks the tag
//       unplug:K[@CODE][,CALLS]      the player goes away at the K-th block read after a command
//                                    (CODE) and answers again after CALLS failed calls (never
//                                    without CALLS)
//
// On start it prints "player-sim: listening on 127.0.0.1:PORT" on standard
// output. It ends on SIGTERM, SIGINT or when its lifetime is over; files are
// written beside their place and renamed, so an end at any time loses at most
// the file being received.
#include <csignal>
#include <cstdio>
#include <iostream>
#include <random>
#include <thread>

#include "common/TextCodec.h"
#include "tools/player-sim/BridgeServer.h"
#include "tools/player-sim/FolderStorage.h"
#include "tools/player-sim/Options.h"

namespace {

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

int Fail(const std::string& message) {
  std::cerr << "player-sim: " << message << "\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  auto options = playersim::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!options) return Fail(options.error().message + " (see the head of PlayerSim.cpp)");

  auto storage = std::make_unique<playersim::FolderStorage>(options->storage);
  if (auto r = storage->Prepare(); !r) return Fail(r.error().message);
  common::Result<std::uint32_t> identifier = std::uint32_t{0};
  if (options->identifier) {
    identifier = *options->identifier;
    if (auto r = storage->SetIdentifier(*identifier); !r) return Fail(r.error().message);
  } else {
    identifier = storage->Identifier(std::random_device{}());
  }
  if (!identifier) return Fail(identifier.error().message);
  options->player.identifier = *identifier;

  auto player = std::make_shared<playerlink::sim::SimulatedPlayer>(options->player, std::move(storage));
  if (auto r = player->LoadStorage(); !r) return Fail(r.error().message);
  for (const auto& seed : options->seeds) {
    auto bytes = common::ReadWholeFile(seed.source, 0xFFFFFFFFull);
    if (!bytes) return Fail(bytes.error().message);
    auto name = common::Utf8ToUtf16(seed.name);
    if (!name) return Fail("--add: the name is not UTF-8");
    if (auto r = player->Store(seed.medium, *name, std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()),
                                                             bytes->size()));
        !r) {
      return Fail("--add " + seed.name + ": " + r.error().message);
    }
  }
  player->SetFaults(options->faults);
  playerlink::sim::SimulatedDriver driver(player);

  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);
  std::signal(SIGPIPE, SIG_IGN);

  playersim::BridgeServer server(driver);
  server.SetBlockDelay(std::chrono::milliseconds(options->blockDelayMs));
  const auto port = server.Start(options->port);
  if (!port) return Fail(port.error().message);
  if (!options->portFile.empty()) {
    const std::string text = std::to_string(*port) + "\n";
    if (auto r = common::WriteFileAtomically(options->portFile,
                                             {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
        !r) {
      return Fail(r.error().message);
    }
  }
  std::cout << "player-sim: listening on 127.0.0.1:" << *port << std::endl;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options->lifetimeSeconds);
  while (!gStop && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  server.Stop();
  return 0;
}
