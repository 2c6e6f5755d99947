// Serves a driver to the programs' bridge (player-link/BridgeFrame.h): one
// session per TCP connection, on 127.0.0.1 only.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "common/Result.h"
#include "player-link/Driver.h"
#include "platform/net/Socket.h"

namespace playersim {

class BridgeServer {
 public:
  explicit BridgeServer(playerlink::Driver& driver) : driver_(driver) {}
  BridgeServer(const BridgeServer&) = delete;
  BridgeServer& operator=(const BridgeServer&) = delete;
  ~BridgeServer() { Stop(); }

  // Listens on 127.0.0.1:port (0: a free port) and starts serving; gives the port.
  common::Result<std::uint16_t> Start(std::uint16_t port);
  // Ends every connection and waits for their threads.
  void Stop();
  // Each block read or written on a pipe is answered this much later.
  void SetBlockDelay(std::chrono::milliseconds delay) { blockDelay_ = delay; }

 private:
  struct Connection {
    std::unique_ptr<platform::net::Connection> socket;
    std::thread thread;
    std::atomic<bool> done{false};
  };

  void AcceptLoop();
  void Serve(Connection& c);
  void ReapFinished();

  playerlink::Driver& driver_;
  std::chrono::milliseconds blockDelay_{0};
  std::unique_ptr<platform::net::Listener> listener_;
  std::atomic<bool> stopping_{false};
  std::thread acceptThread_;
  std::mutex mutex_;
  std::list<Connection> connections_;
};

}  // namespace playersim
