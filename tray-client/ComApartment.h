// The calling thread's membership in a single-threaded COM apartment, for
// an object that may be asked to connect several times (Windows only):
// the thread is initialised once, however often Enter is called, and
// uninitialised once when the object ends, only when that initialisation
// succeeded.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace orvel {

class ComApartment {
 public:
  ComApartment() = default;
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (entered_ && SUCCEEDED(result_)) CoUninitialize();
  }

  // The result of the one CoInitializeEx (S_FALSE: the thread was in the
  // apartment already, which still needs its CoUninitialize).
  HRESULT Enter() {
    if (!entered_) {
      result_ = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
      entered_ = true;
    }
    return result_;
  }

 private:
  bool entered_ = false;
  HRESULT result_ = E_FAIL;
};

}  // namespace orvel
