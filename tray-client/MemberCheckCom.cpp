// Windows member check: class GetDBInfo of Dastrel.dll through COM.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include "common/ErrorText.h"
#include "common/TextCodec.h"
#include "member-info/Dastrel.h"
#include "tray-client/ComApartment.h"
#include "tray-client/MemberCheck.h"

namespace orvel {
namespace {

// Error.code stays the HRESULT.
common::Error ComFailure(common::ComError kind, const char* what, HRESULT hr) {
  return common::Error{static_cast<int>(hr),
                       common::UserMessage(common::ErrorSentence(kind),
                                           common::HexDetail("HRESULT", static_cast<std::uint32_t>(hr)) + ", " + what)};
}

class BString {
 public:
  explicit BString(const std::u16string& text)
      : value_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()))) {}
  ~BString() { SysFreeString(value_); }
  BString(const BString&) = delete;
  BString& operator=(const BString&) = delete;
  BSTR get() const { return value_; }

 private:
  BSTR value_;
};

// Each check runs on the thread that asks (a worker of its own): it joins
// a single-threaded apartment there, connects, calls and releases the
// object, and leaves the apartment, so no object crosses threads.
class ComMemberCheck final : public MemberCheck {
 public:
  common::Result<int> CheckPassword(const std::string& id, const std::string& password) override {
    auto wideId = common::Utf8ToUtf16(id);
    auto widePassword = common::Utf8ToUtf16(password);
    if (!wideId) return wideId.error();
    if (!widePassword) return widePassword.error();
    ComApartment apartment;  // declared first: left after the object is released
    apartment.Enter();
    IGetDBInfo* object = nullptr;
    if (auto connected = Connect(object); !connected) return connected.error();
    BString idText(*wideId);
    BString passwordText(*widePassword);
    short result = -1;
    const HRESULT hr = object->CheckPassword(idText.get(), passwordText.get(), &result);
    object->Release();
    if (FAILED(hr)) return ComFailure(common::ComError::kCallFailed, "IGetDBInfo::CheckPassword", hr);
    return static_cast<int>(result);
  }

 private:
  // A running GetDBInfo from the running object table when there is one,
  // else a new one.
  static common::Result<void> Connect(IGetDBInfo*& object) {
    IUnknown* running = nullptr;
    if (SUCCEEDED(GetActiveObject(CLSID_GetDBInfo, nullptr, &running)) && running != nullptr) {
      const HRESULT hr = running->QueryInterface(IID_IGetDBInfo, reinterpret_cast<void**>(&object));
      running->Release();
      if (SUCCEEDED(hr)) return common::Ok();
      object = nullptr;
    }
    const HRESULT hr = CoCreateInstance(CLSID_GetDBInfo, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                        IID_IGetDBInfo, reinterpret_cast<void**>(&object));
    if (FAILED(hr)) {
      object = nullptr;
      return ComFailure(common::ComError::kUnavailable, "Dastrel.GetDBInfo", hr);
    }
    return common::Ok();
  }
};

}  // namespace

std::unique_ptr<MemberCheck> CreateMemberCheck() { return std::make_unique<ComMemberCheck>(); }

}  // namespace orvel
