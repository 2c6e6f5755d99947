// The COM class GetDBInfo: IGetDBInfo (dual, IDispatch served from the type
// library embedded in the module) over the portable dastrel::GetDBInfo.
//
// Every method returns S_OK; results come through the out parameter. A null
// out parameter gives E_POINTER and a failed string allocation E_OUTOFMEMORY,
// instead of a crash or an empty text that looks like an answer.
//
// Every BSTR handed out belongs to the caller. The getters hand out a copy and
// keep their field, so a second call gives the same text again until the next
// SearchInfo.
#pragma once

#include <atomic>

#include "member-info/Dastrel.h"
#include "member-info/GetDBInfo.h"

namespace dastrel::com {

class GetDBInfoObject final : public IGetDBInfo {
 public:
  static HRESULT Create(REFIID riid, void** out);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override;

  // IGetDBInfo, in vtable order
  HRESULT STDMETHODCALLTYPE SearchHost(BSTR ServerIP) override;
  HRESULT STDMETHODCALLTYPE GetAddress(BSTR* pAddress) override;
  HRESULT STDMETHODCALLTYPE GetID(BSTR* pID) override;
  HRESULT STDMETHODCALLTYPE GetHobby(BSTR* pHobby) override;
  HRESULT STDMETHODCALLTYPE GetInfoOpenFlag(BSTR* pInfoOpenFlag) override;
  HRESULT STDMETHODCALLTYPE GetJob(BSTR* pJob) override;
  HRESULT STDMETHODCALLTYPE GetMailAddress(BSTR* pMailAddress) override;
  HRESULT STDMETHODCALLTYPE GetMainAccessISP(BSTR* pMainAccessISP) override;
  HRESULT STDMETHODCALLTYPE GetMainAccessMethod(BSTR* pMainAccessMethod) override;
  HRESULT STDMETHODCALLTYPE GetMotherID(BSTR* pMotherID) override;
  HRESULT STDMETHODCALLTYPE GetOfficeName(BSTR* pOfficeName) override;
  HRESULT STDMETHODCALLTYPE GetPoid(BSTR* pPoid) override;
  HRESULT STDMETHODCALLTYPE GetProductCode(BSTR* pProductCode) override;
  HRESULT STDMETHODCALLTYPE GetRecommendID(BSTR* pRecommendID) override;
  HRESULT STDMETHODCALLTYPE GetSchooleCareer(BSTR* pSchoolCareer) override;
  HRESULT STDMETHODCALLTYPE GetTelNoHome(BSTR* pTelNoHome) override;
  HRESULT STDMETHODCALLTYPE GetTelNoMobile(BSTR* pTelNoMobile) override;
  HRESULT STDMETHODCALLTYPE GetUseTeskaMail(BSTR* pUseTeskaMail) override;
  HRESULT STDMETHODCALLTYPE GetVerifiedFlag(BSTR* pVerifiedFlag) override;
  HRESULT STDMETHODCALLTYPE GetWeddingDate(BSTR* pWeddingDate) override;
  HRESULT STDMETHODCALLTYPE GetCookie(BSTR* pCookie) override;
  HRESULT STDMETHODCALLTYPE SearchInfo(BSTR teskanetck, short* ret) override;
  HRESULT STDMETHODCALLTYPE GetHost(BSTR* pHost) override;
  HRESULT STDMETHODCALLTYPE GetEmpType(BSTR* pEmpType) override;
  HRESULT STDMETHODCALLTYPE CheckPassword(BSTR id, BSTR password, short* pRet) override;

 private:
  GetDBInfoObject();
  ~GetDBInfoObject();
  HRESULT LoadTypeInfo();
  HRESULT Give(RecordSlot slot, BSTR* out) { return Give(info_.Field(slot), out); }
  static HRESULT Give(const std::u16string& text, BSTR* out);

  std::atomic<ULONG> references_{1};
  dastrel::GetDBInfo info_;
  ITypeInfo* typeInfo_ = nullptr;
};

}  // namespace dastrel::com
