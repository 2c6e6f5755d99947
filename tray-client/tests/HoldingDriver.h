// A driver for tests of the player's conversations that run off the GUI
// thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/gui/Application.h"
#include "player-link/Driver.h"

namespace orvel::testing {

// The simulated player's driver, but once armed its next command waits
// until the GUI thread has run a call that the command queued for it (at
// most 10 s): the call runs during that conversation, or not at all when
// the conversation holds the GUI thread.
class HoldingDriver final : public playerlink::Driver {
 public:
  HoldingDriver(playerlink::Driver& inner, std::shared_ptr<gui::CrossThreadQueue> queue)
      : inner_(inner), queue_(std::move(queue)) {}
  void Arm(std::function<void()> call) {
    std::lock_guard lock(mutex_);
    call_ = std::move(call);
  }
  bool Ran() {
    std::lock_guard lock(mutex_);
    return ran_;
  }
  std::unique_ptr<playerlink::DriverSession> NewSession() override {
    return std::make_unique<Session>(*this, inner_.NewSession());
  }

 private:
  class Session final : public playerlink::DriverSession {
   public:
    Session(HoldingDriver& owner, std::unique_ptr<playerlink::DriverSession> inner)
        : owner_(owner), inner_(std::move(inner)) {}
    bool Open(playerlink::Device d) override { return inner_->Open(d); }
    void Close(playerlink::Device d) override { inner_->Close(d); }
    bool IsOpen(playerlink::Device d) const override { return inner_->IsOpen(d); }
    std::optional<std::size_t> Control(std::span<std::uint8_t> buffer, std::size_t requestSize) override {
      owner_.Hold();
      return inner_->Control(buffer, requestSize);
    }
    std::optional<std::size_t> Write(std::span<const std::uint8_t> data) override { return inner_->Write(data); }
    std::optional<std::size_t> Read(std::span<std::uint8_t> data) override { return inner_->Read(data); }

   private:
    HoldingDriver& owner_;
    std::unique_ptr<playerlink::DriverSession> inner_;
  };

  void Hold() {
    std::function<void()> call;
    {
      std::lock_guard lock(mutex_);
      call = std::exchange(call_, nullptr);
    }
    if (!call) return;
    (void)queue_->PostCall([this, call] {
      call();
      std::lock_guard lock(mutex_);
      ran_ = true;
      changed_.notify_all();
    });
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(10), [this] { return ran_; });
  }

  playerlink::Driver& inner_;
  std::shared_ptr<gui::CrossThreadQueue> queue_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> call_;
  bool ran_ = false;
};

}  // namespace orvel::testing
