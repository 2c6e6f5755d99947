// How both socket backends word a failure: the sentence of the code and the
// call that failed (with its address and the system's number) as the detail.
#pragma once

#include <string_view>

#include "common/ErrorText.h"
#include "common/Result.h"

namespace platform::net {

inline common::Error MakeNetError(NetError code, std::string_view detail) {
  return common::Error{static_cast<int>(code), common::UserMessage(common::ErrorSentence(code), detail)};
}

}  // namespace platform::net
