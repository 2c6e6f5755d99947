// The order and the failure rules of registering and unregistering the COM
// server, apart from the platform calls that do each step (DastrelModule.cpp
// supplies them; the tests supply fakes). Results are HRESULT values.
//
// Registering runs the registry script, then registers the type library. When
// a step fails, everything either step may have written is removed again, so
// a failed registration leaves nothing behind, and its first failure is the
// result. Unregistering runs both removals whatever the first gives and
// reports the first real failure; a step that finds nothing to remove has
// not failed.
#pragma once

#include <cstdint>
#include <functional>

namespace dastrel::com {

using HResult = std::int32_t;

struct RegistrationSteps {
  std::function<HResult()> runScript;
  std::function<HResult()> registerTypeLibrary;
  std::function<HResult()> removeScript;
  std::function<HResult()> unregisterTypeLibrary;
  // True for a failure that only says the entries are not there.
  std::function<bool(HResult)> nothingToRemove;
};

inline bool Failed(HResult hr) { return hr < 0; }

inline HResult Unregister(const RegistrationSteps& steps) {
  HResult first = 0;
  for (const auto& step : {steps.removeScript, steps.unregisterTypeLibrary}) {
    const HResult hr = step();
    if (Failed(hr) && !steps.nothingToRemove(hr) && !Failed(first)) first = hr;
  }
  return first;
}

inline HResult Register(const RegistrationSteps& steps) {
  HResult hr = steps.runScript();
  if (!Failed(hr)) hr = steps.registerTypeLibrary();
  if (Failed(hr)) {
    (void)Unregister(steps);
    return hr;
  }
  return 0;
}

}  // namespace dastrel::com
