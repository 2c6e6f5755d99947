// The native build starts nothing: its tests give the update road their own
// "open".
#include "common/ErrorText.h"
#include "tray-client/UpdateForm.h"

namespace orvel {

common::Result<void> ShellOpen(const std::string&, const common::Path&) {
  return common::Error{0, common::UserMessage("", "이 플랫폼에서는 프로그램을 열 수 없음")};
}

}  // namespace orvel
