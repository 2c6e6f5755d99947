#include "player-link/Link.h"

namespace playerlink {

Link::Opened Link::Open() {
  Close();
  Opened o;
  const void* none = nullptr;
  if (!driver_.conversation_.compare_exchange_strong(none, this, std::memory_order_acq_rel)) {
    o.busy = true;
    return o;
  }
  session_ = driver_.NewSession();
  if (session_) o.control = session_->Open(Device::kControl);
  if (!o.control) {
    session_.reset();
    driver_.conversation_.store(nullptr, std::memory_order_release);
    return o;
  }
  o.inPipe = session_->Open(Device::kInPipe);
  o.outPipe = session_->Open(Device::kOutPipe);
  return o;
}

void Link::Close() {
  if (!session_) return;
  for (Device d : {Device::kInPipe, Device::kOutPipe, Device::kControl}) {
    if (session_->IsOpen(d)) session_->Close(d);
  }
  session_.reset();
  driver_.conversation_.store(nullptr, std::memory_order_release);
}

bool Link::InConversation(const Driver& driver) {
  return driver.conversation_.load(std::memory_order_acquire) != nullptr;
}

CommandAnswer Link::Command(std::uint8_t base, CommandCode code, std::uint32_t argument, std::uint8_t mode) {
  return Command(CommandByte(base, code), argument, mode);
}

CommandAnswer Link::Command(std::uint8_t commandByte, std::uint32_t argument, std::uint8_t mode) {
  buffer_ = EncodeCommand({commandByte, argument, mode});
  if (!session_ || !IsValidMode(mode)) return {};
  const auto returned =
      session_->Control(std::span(buffer_).first(AnswerSize(mode)), command::kRequestSize);
  if (!returned) return {};
  return DecodeAnswer(buffer_, *returned);
}

bool Link::WriteBlock(std::span<const std::uint8_t, kBlockSize> block) {
  transferred_ = 0;
  if (!session_) return false;
  transferred_ = session_->Write(block).value_or(0);
  return transferred_ == kBlockSize;
}

bool Link::ReadBlock(std::span<std::uint8_t, kBlockSize> block) {
  transferred_ = 0;
  if (!session_) return false;
  transferred_ = session_->Read(block).value_or(0);
  return transferred_ == kBlockSize;
}

std::uintptr_t Link::NativeHandle(Device device) const {
  return session_ && session_->IsOpen(device) ? session_->NativeHandle(device) : 0;
}

std::unique_ptr<DriverSession> Driver::ShareInPipe(std::uintptr_t) {
  auto session = NewSession();
  if (!session || !session->Open(Device::kInPipe)) return nullptr;
  return session;
}

}  // namespace playerlink
