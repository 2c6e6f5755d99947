// The partner zone's member check: CheckPassword of the member-information
// library's class GetDBInfo. On Windows the class is reached through COM (a
// running instance from the running object table first, else a new one of
// the in-process server Dastrel.dll); natively the library is linked
// directly. A check may run on any thread (the login runs it on a worker);
// on Windows each call joins a COM apartment on its thread and connects
// there.
#pragma once

#include <memory>
#include <string>

#include "common/Result.h"

namespace orvel {

class MemberCheck {
 public:
  virtual ~MemberCheck() = default;
  // The library's result: 0 right, 1 wrong password, 2 unknown id, anything
  // else a failure. An Error when the class cannot be reached or the call
  // fails. The texts are UTF-8.
  virtual common::Result<int> CheckPassword(const std::string& id, const std::string& password) = 0;
};

std::unique_ptr<MemberCheck> CreateMemberCheck();

}  // namespace orvel
