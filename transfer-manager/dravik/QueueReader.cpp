#include "transfer-manager/dravik/QueueReader.h"

#include <algorithm>

namespace dravik {

using playerlink::Block;
using playerlink::kBlockSize;

bool QueueReader::Init(std::uintptr_t inPipe, std::uint32_t blocks) {
  std::lock_guard lock(mutex_);
  session_ = driver_.ShareInPipe(inPipe);
  remaining_ = session_ ? blocks : 0;
  return session_ != nullptr;
}

bool QueueReader::ReadQueue(std::span<std::uint8_t, kBlockSize> block) {
  std::lock_guard lock(mutex_);
  if (!session_ || remaining_ == 0) return false;
  // Read into a block of our own so a short read never leaves half a block
  // in the caller's buffer looking like data.
  Block incoming;
  const auto moved = session_->Read(incoming);
  if (!moved || *moved != kBlockSize) {
    session_.reset();
    remaining_ = 0;
    return false;
  }
  std::copy(incoming.begin(), incoming.end(), block.begin());
  --remaining_;
  return true;
}

void QueueReader::Cancel() {
  std::lock_guard lock(mutex_);
  session_.reset();
  remaining_ = 0;
}

std::uint32_t QueueReader::remaining() const {
  std::lock_guard lock(mutex_);
  return remaining_;
}

}  // namespace dravik
