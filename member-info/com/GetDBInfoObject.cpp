#include "member-info/com/GetDBInfoObject.h"

#include <new>
#include <optional>
#include <string_view>

#include "member-info/com/ComModule.h"

namespace dastrel::com {
namespace {

std::optional<std::u16string_view> View(BSTR text) {
  if (text == nullptr) return std::nullopt;
  return std::u16string_view(reinterpret_cast<const char16_t*>(text), ::SysStringLen(text));
}

// A null BSTR is the empty string, except for SearchHost.
std::u16string_view ViewOrEmpty(BSTR text) { return View(text).value_or(std::u16string_view{}); }

}  // namespace

GetDBInfoObject::GetDBInfoObject() { ModuleAddRef(); }

GetDBInfoObject::~GetDBInfoObject() {
  if (typeInfo_) typeInfo_->Release();
  ModuleRelease();
}

HRESULT GetDBInfoObject::Create(REFIID riid, void** out) {
  auto* object = new (std::nothrow) GetDBInfoObject();
  if (object == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = object->QueryInterface(riid, out);
  object->Release();
  return hr;
}

HRESULT GetDBInfoObject::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IGetDBInfo)) {
    *out = static_cast<IGetDBInfo*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG GetDBInfoObject::AddRef() { return ++references_; }

ULONG GetDBInfoObject::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT GetDBInfoObject::LoadTypeInfo() {
  if (typeInfo_) return S_OK;
  // From the module's own resources, so IDispatch works whether or not the
  // type library is registered.
  ITypeLib* library = nullptr;
  HRESULT hr = LoadModuleTypeLibrary(&library);
  if (FAILED(hr)) return hr;
  ITypeInfo* info = nullptr;
  hr = library->GetTypeInfoOfGuid(IID_IGetDBInfo, &info);
  library->Release();
  if (FAILED(hr)) return hr;
  // A dual interface's description may come as its dispatch half; the calls
  // go through the vtable, which the interface half describes.
  TYPEATTR* attributes = nullptr;
  hr = info->GetTypeAttr(&attributes);
  if (FAILED(hr)) {
    info->Release();
    return hr;
  }
  const bool dispatchHalf = attributes->typekind == TKIND_DISPATCH;
  info->ReleaseTypeAttr(attributes);
  if (!dispatchHalf) {
    typeInfo_ = info;
    return S_OK;
  }
  HREFTYPE interfaceHalf = 0;
  hr = info->GetRefTypeOfImplType(static_cast<UINT>(-1), &interfaceHalf);
  if (SUCCEEDED(hr)) hr = info->GetRefTypeInfo(interfaceHalf, &typeInfo_);
  info->Release();
  return hr;
}

HRESULT GetDBInfoObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT GetDBInfoObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  const HRESULT hr = LoadTypeInfo();
  if (FAILED(hr)) return hr;
  typeInfo_->AddRef();
  *info = typeInfo_;
  return S_OK;
}

HRESULT GetDBInfoObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const HRESULT hr = LoadTypeInfo();
  if (FAILED(hr)) return hr;
  return ::DispGetIDsOfNames(typeInfo_, names, count, ids);
}

HRESULT GetDBInfoObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                EXCEPINFO* exception, UINT* badArgument) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const HRESULT hr = LoadTypeInfo();
  if (FAILED(hr)) return hr;
  return ::DispInvoke(static_cast<IGetDBInfo*>(this), typeInfo_, id, flags, params, result, exception, badArgument);
}

HRESULT GetDBInfoObject::Give(const std::u16string& text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_OK;  // the null BSTR, which reads as ""
  *out = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT GetDBInfoObject::SearchHost(BSTR ServerIP) {
  (void)info_.SearchHost(View(ServerIP));
  return S_OK;
}

HRESULT GetDBInfoObject::SearchInfo(BSTR teskanetck, short* ret) {
  if (ret == nullptr) return E_POINTER;
  *ret = info_.SearchInfo(ViewOrEmpty(teskanetck));
  return S_OK;
}

HRESULT GetDBInfoObject::CheckPassword(BSTR id, BSTR password, short* pRet) {
  if (pRet == nullptr) return E_POINTER;
  *pRet = info_.CheckPassword(ViewOrEmpty(id), ViewOrEmpty(password));
  return S_OK;
}

HRESULT GetDBInfoObject::GetHost(BSTR* pHost) { return Give(info_.Host(), pHost); }
HRESULT GetDBInfoObject::GetCookie(BSTR* pCookie) { return Give(info_.Cookie(), pCookie); }
HRESULT GetDBInfoObject::GetAddress(BSTR* p) { return Give(RecordSlot::kAddress, p); }
HRESULT GetDBInfoObject::GetID(BSTR* p) { return Give(RecordSlot::kID, p); }
HRESULT GetDBInfoObject::GetHobby(BSTR* p) { return Give(RecordSlot::kHobby, p); }
HRESULT GetDBInfoObject::GetInfoOpenFlag(BSTR* p) { return Give(RecordSlot::kInfoOpenFlag, p); }
HRESULT GetDBInfoObject::GetJob(BSTR* p) { return Give(RecordSlot::kJob, p); }
HRESULT GetDBInfoObject::GetMailAddress(BSTR* p) { return Give(RecordSlot::kMailAddress, p); }
HRESULT GetDBInfoObject::GetMainAccessISP(BSTR* p) { return Give(RecordSlot::kMainAccessISP, p); }
HRESULT GetDBInfoObject::GetMainAccessMethod(BSTR* p) { return Give(RecordSlot::kMainAccessMethod, p); }
HRESULT GetDBInfoObject::GetMotherID(BSTR* p) { return Give(RecordSlot::kMotherID, p); }
HRESULT GetDBInfoObject::GetOfficeName(BSTR* p) { return Give(RecordSlot::kOfficeName, p); }
HRESULT GetDBInfoObject::GetPoid(BSTR* p) { return Give(RecordSlot::kPoid, p); }
HRESULT GetDBInfoObject::GetProductCode(BSTR* p) { return Give(RecordSlot::kProductCode, p); }
HRESULT GetDBInfoObject::GetRecommendID(BSTR* p) { return Give(RecordSlot::kRecommendID, p); }
HRESULT GetDBInfoObject::GetSchooleCareer(BSTR* p) { return Give(RecordSlot::kSchoolCareer, p); }
HRESULT GetDBInfoObject::GetTelNoHome(BSTR* p) { return Give(RecordSlot::kTelNoHome, p); }
HRESULT GetDBInfoObject::GetTelNoMobile(BSTR* p) { return Give(RecordSlot::kTelNoMobile, p); }
HRESULT GetDBInfoObject::GetUseTeskaMail(BSTR* p) { return Give(RecordSlot::kUseTeskaMail, p); }
HRESULT GetDBInfoObject::GetVerifiedFlag(BSTR* p) { return Give(RecordSlot::kVerifiedFlag, p); }
HRESULT GetDBInfoObject::GetWeddingDate(BSTR* p) { return Give(RecordSlot::kWeddingDate, p); }
HRESULT GetDBInfoObject::GetEmpType(BSTR* p) { return Give(RecordSlot::kEmpType, p); }

}  // namespace dastrel::com
