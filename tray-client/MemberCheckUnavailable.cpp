// Member check for a build without the member-information library.
#include "common/ErrorText.h"
#include "tray-client/MemberCheck.h"

namespace orvel {
namespace {

class UnavailableMemberCheck final : public MemberCheck {
 public:
  common::Result<int> CheckPassword(const std::string&, const std::string&) override {
    return common::Error{0, common::UserMessage(common::ErrorSentence(common::ComError::kUnavailable),
                                                "Dastrel.GetDBInfo, 이 빌드에 없음")};
  }
};

}  // namespace

std::unique_ptr<MemberCheck> CreateMemberCheck() { return std::make_unique<UnavailableMemberCheck>(); }

}  // namespace orvel
