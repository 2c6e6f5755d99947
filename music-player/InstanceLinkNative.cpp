// Natively no other player window can exist.
#include "music-player/VantuApp.h"

namespace vantu {

namespace {
class NoInstanceLink : public InstanceLink {
 public:
  bool OtherPlayerRunning() override { return false; }
  bool HandOverFile(const std::string&) override { return false; }
};
}  // namespace

std::unique_ptr<InstanceLink> CreateSystemInstanceLink() { return std::make_unique<NoInstanceLink>(); }

}  // namespace vantu
