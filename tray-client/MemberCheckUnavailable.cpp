// Member check for a build without the member-information library.
#include "tray-client/MemberCheck.h"

namespace orvel {
namespace {

class UnavailableMemberCheck final : public MemberCheck {
 public:
  common::Result<int> CheckPassword(const std::string&, const std::string&) override {
    return common::Error{0, "the member check (Dastrel.GetDBInfo) is not part of this build"};
  }
};

}  // namespace

std::unique_ptr<MemberCheck> CreateMemberCheck() { return std::make_unique<UnavailableMemberCheck>(); }

}  // namespace orvel
