// Native member check: the member-information library linked in.
#include "common/TextCodec.h"
#include "member-info/GetDBInfo.h"
#include "tray-client/MemberCheck.h"

namespace orvel {
namespace {

class DirectMemberCheck final : public MemberCheck {
 public:
  common::Result<int> CheckPassword(const std::string& id, const std::string& password) override {
    auto wideId = common::Utf8ToUtf16(id);
    auto widePassword = common::Utf8ToUtf16(password);
    if (!wideId) return wideId.error();
    if (!widePassword) return widePassword.error();
    return static_cast<int>(info_.CheckPassword(*wideId, *widePassword));
  }

 private:
  dastrel::GetDBInfo info_;
};

}  // namespace

std::unique_ptr<MemberCheck> CreateMemberCheck() { return std::make_unique<DirectMemberCheck>(); }

}  // namespace orvel
