// No media control interface on this system: every command fails.
#include "transfer-manager/MediaControl.h"

namespace halvern {

namespace {

// The code Windows gives for a device name it does not know.
constexpr std::uint32_t kNoDevice = 263;

class NoMediaControl : public MediaControl {
 public:
  std::uint32_t SendString(const std::string&, std::string* reply) override {
    if (reply) reply->clear();
    return kNoDevice;
  }
  std::string ErrorText(std::uint32_t) override { return "There is no media device on this system."; }
};

}  // namespace

std::unique_ptr<MediaControl> CreateSystemMediaControl() { return std::make_unique<NoMediaControl>(); }

}  // namespace halvern
