// The order and the failure rules of registration, with fake steps.
#include "member-info/com/Registration.h"

#include <gtest/gtest.h>

#include <string>

namespace dastrel::com {
namespace {

constexpr HResult kFail = static_cast<HResult>(0x80004005);     // E_FAIL
constexpr HResult kDenied = static_cast<HResult>(0x80070005);   // E_ACCESSDENIED
constexpr HResult kNotThere = static_cast<HResult>(0x80029C83);  // nothing registered

struct Fake {
  HResult script = 0, typeLibrary = 0, removeScript = 0, removeTypeLibrary = 0;
  std::string calls;
  RegistrationSteps Steps() {
    return {[this] { calls += "S"; return script; },
            [this] { calls += "T"; return typeLibrary; },
            [this] { calls += "s"; return removeScript; },
            [this] { calls += "t"; return removeTypeLibrary; },
            [](HResult hr) { return hr == kNotThere; }};
  }
};

TEST(Registration, RunsTheScriptThenRegistersTheTypeLibrary) {
  Fake f;
  EXPECT_EQ(Register(f.Steps()), 0);
  EXPECT_EQ(f.calls, "ST");
}

TEST(Registration, AFailureHalfWayRemovesWhatWasWritten) {
  Fake typeLibraryFails;
  typeLibraryFails.typeLibrary = kDenied;
  EXPECT_EQ(Register(typeLibraryFails.Steps()), kDenied);
  EXPECT_EQ(typeLibraryFails.calls, "STst");

  Fake scriptFails;
  scriptFails.script = kFail;
  scriptFails.removeTypeLibrary = kNotThere;
  EXPECT_EQ(Register(scriptFails.Steps()), kFail) << "the first failure is the result";
  EXPECT_EQ(scriptFails.calls, "Sst") << "a script that failed half-way may have written keys";
}

TEST(Unregistration, ReportsTheFirstRealFailureAfterTryingBothSteps) {
  Fake f;
  f.removeScript = kDenied;
  f.removeTypeLibrary = kFail;
  EXPECT_EQ(Unregister(f.Steps()), kDenied);
  EXPECT_EQ(f.calls, "st");

  Fake gone;
  gone.removeTypeLibrary = kNotThere;
  EXPECT_EQ(Unregister(gone.Steps()), 0) << "nothing left to remove is no failure";
  Fake typeLibraryOnly;
  typeLibraryOnly.removeTypeLibrary = kFail;
  EXPECT_EQ(Unregister(typeLibraryOnly.Steps()), kFail);
}

}  // namespace
}  // namespace dastrel::com
