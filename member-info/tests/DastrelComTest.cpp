// Dastrel.dll as COM clients use it, under Wine. Run by DastrelWineTest.py,
// which starts the fake member database server (DASTREL_SERVER points the
// library at it), registers the DLL with regsvr32 between the Direct and
// Registered suites and unregisters it before the Unregistered suite.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "member-info/Dastrel.h"

namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();

const wchar_t* const kClsidText = L"{5B0D7226-8462-4AD2-B0E7-ABAC77997F73}";

// A BSTR that frees itself.
struct Bstr {
  BSTR value = nullptr;
  Bstr() = default;
  explicit Bstr(const wchar_t* text) : value(::SysAllocString(text)) {}
  ~Bstr() { ::SysFreeString(value); }
  BSTR* out() {
    ::SysFreeString(value);
    value = nullptr;
    return &value;
  }
  std::wstring text() const { return value ? std::wstring(value, ::SysStringLen(value)) : std::wstring(); }
};

class ComTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { ::CoUninitialize(); }
};

class Direct : public ComTest {
 protected:
  void SetUp() override {
    ComTest::SetUp();
    module_ = ::LoadLibraryW(DASTREL_DLL_PATH);
    ASSERT_NE(module_, nullptr) << "cannot load the DLL: " << ::GetLastError();
    getClassObject_ = reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(::GetProcAddress(module_, "DllGetClassObject")));
    canUnload_ = reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(::GetProcAddress(module_, "DllCanUnloadNow")));
    ASSERT_NE(getClassObject_, nullptr);
    ASSERT_NE(canUnload_, nullptr);
  }
  void TearDown() override {
    if (module_) ::FreeLibrary(module_);
    ComTest::TearDown();
  }
  IGetDBInfo* NewObject() {
    IClassFactory* factory = nullptr;
    EXPECT_EQ(getClassObject_(CLSID_GetDBInfo, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    if (!factory) return nullptr;
    IGetDBInfo* object = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IGetDBInfo, reinterpret_cast<void**>(&object)), S_OK);
    factory->Release();
    return object;
  }
  HMODULE module_ = nullptr;
  GetClassObjectFn getClassObject_ = nullptr;
  CanUnloadFn canUnload_ = nullptr;
};

TEST_F(Direct, ExportsTheFourEntriesByOrdinal) {
  const char* names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"};
  for (int ordinal = 1; ordinal <= 4; ++ordinal) {
    EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(module_, MAKEINTRESOURCEA(ordinal))),
              reinterpret_cast<void*>(::GetProcAddress(module_, names[ordinal - 1])))
        << names[ordinal - 1];
  }
}

TEST_F(Direct, ServesOnlyItsClassAndCountsItsObjects) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(getClassObject_(IID_IGetDBInfo, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(getClassObject_(CLSID_GetDBInfo, IID_IGetDBInfo, &out), E_NOINTERFACE) << "the factory is no IGetDBInfo";

  EXPECT_EQ(canUnload_(), S_OK);
  IGetDBInfo* object = NewObject();
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(canUnload_(), S_FALSE);
  void* unknownInterface = nullptr;
  EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &unknownInterface), E_NOINTERFACE);
  IDispatch* dispatch = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
  dispatch->Release();
  object->Release();
  EXPECT_EQ(canUnload_(), S_OK);

  IClassFactory* factory = nullptr;
  ASSERT_EQ(getClassObject_(CLSID_GetDBInfo, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  factory->LockServer(TRUE);
  factory->Release();
  EXPECT_EQ(canUnload_(), S_FALSE);
  ASSERT_EQ(getClassObject_(CLSID_GetDBInfo, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  factory->LockServer(FALSE);
  factory->Release();
  EXPECT_EQ(canUnload_(), S_OK);
}

TEST_F(Direct, EmbedsTheTypeLibraryWithTheMethodsInVtableOrder) {
  ITypeLib* library = nullptr;
  ASSERT_EQ(::LoadTypeLibEx(DASTREL_DLL_PATH, REGKIND_NONE, &library), S_OK);
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_DastrelLib));
  EXPECT_EQ(attributes->wMajorVerNum, 1);
  EXPECT_EQ(attributes->wMinorVerNum, 0);
  EXPECT_EQ(attributes->lcid, 0x409u);
  library->ReleaseTLibAttr(attributes);
  EXPECT_EQ(library->GetTypeInfoCount(), 2u);

  ITypeInfo* described = nullptr;
  ASSERT_EQ(library->GetTypeInfoOfGuid(IID_IGetDBInfo, &described), S_OK);
  // The interface half of the dual interface describes the vtable.
  ITypeInfo* info = nullptr;
  HREFTYPE interfaceHalf = 0;
  ASSERT_EQ(described->GetRefTypeOfImplType(static_cast<UINT>(-1), &interfaceHalf), S_OK);
  ASSERT_EQ(described->GetRefTypeInfo(interfaceHalf, &info), S_OK);
  described->Release();
  TYPEATTR* type = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&type), S_OK);
  EXPECT_EQ(type->typekind, TKIND_INTERFACE);
  EXPECT_EQ(type->cFuncs, 25);
  EXPECT_NE(type->wTypeFlags & TYPEFLAG_FDUAL, 0);
  info->ReleaseTypeAttr(type);
  const wchar_t* order[] = {L"SearchHost", L"GetAddress", L"GetID", L"GetHobby", L"GetInfoOpenFlag", L"GetJob",
                            L"GetMailAddress", L"GetMainAccessISP", L"GetMainAccessMethod", L"GetMotherID",
                            L"GetOfficeName", L"GetPoid", L"GetProductCode", L"GetRecommendID",
                            L"GetSchooleCareer", L"GetTelNoHome", L"GetTelNoMobile", L"GetUseTeskaMail",
                            L"GetVerifiedFlag", L"GetWeddingDate", L"GetCookie", L"SearchInfo", L"GetHost",
                            L"GetEmpType", L"CheckPassword"};
  const DISPID dispids[] = {2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27};
  for (UINT i = 0; i < 25; ++i) {
    FUNCDESC* f = nullptr;
    ASSERT_EQ(info->GetFuncDesc(i, &f), S_OK);
    Bstr name, help;
    ASSERT_EQ(info->GetDocumentation(f->memid, name.out(), help.out(), nullptr, nullptr), S_OK);
    EXPECT_EQ(name.text(), order[i]);
    EXPECT_EQ(help.text(), std::wstring(L"method ") + order[i]);
    EXPECT_EQ(f->memid, dispids[i]) << name.text();
    EXPECT_EQ(f->oVft / static_cast<int>(sizeof(void*)), static_cast<int>(7 + i)) << name.text();
    info->ReleaseFuncDesc(f);
  }
  info->Release();
  library->Release();
}

TEST_F(Direct, CarriesItsVersionAndNameResources) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(DASTREL_DLL_PATH, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(::GetFileVersionInfoW(DASTREL_DLL_PATH, 0, size, block.data()));
  const auto value = [&](const wchar_t* name) -> std::wstring {
    void* text = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\041204b0\\") + name;
    if (!::VerQueryValueW(block.data(), path.c_str(), &text, &length)) return L"<missing>";
    return static_cast<const wchar_t*>(text);
  };
  EXPECT_EQ(value(L"FileDescription"), L"Dastrel Module");
  EXPECT_EQ(value(L"ProductName"), L"Dastrel Module");
  EXPECT_EQ(value(L"OriginalFilename"), L"Dastrel.DLL");
  EXPECT_EQ(value(L"FileVersion"), L"1, 0, 0, 1");
  EXPECT_EQ(value(L"OLESelfRegister"), L"");
  wchar_t name[32] = {};
  EXPECT_GT(::LoadStringW(module_, 100, name, 32), 0);
  EXPECT_STREQ(name, L"Dastrel");
  EXPECT_NE(::FindResourceW(module_, MAKEINTRESOURCEW(101), L"REGISTRY"), nullptr);
}

TEST_F(Direct, ChecksPasswordsThroughTheVtable) {
  ASSERT_EQ(::GetACP(), 949u) << "run under LC_ALL=ko_KR.UTF-8";
  IGetDBInfo* object = NewObject();
  ASSERT_NE(object, nullptr);
  short r = 99;
  Bstr id(L"teska01"), right(L"pass01"), wrong(L"pass02"), nobody(L"nobody");
  EXPECT_EQ(object->CheckPassword(id.value, right.value, &r), S_OK);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(object->CheckPassword(id.value, wrong.value, &r), S_OK);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(object->CheckPassword(nobody.value, right.value, &r), S_OK);
  EXPECT_EQ(r, 2);
  Bstr hangulId(L"teska02abcdefghijklmnopqrstuvwx"), hangulPassword(L"\uBE44\uBC00\uBC88\uD638");  // 비밀번호
  EXPECT_EQ(object->CheckPassword(hangulId.value, hangulPassword.value, &r), S_OK);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(object->CheckPassword(id.value, right.value, nullptr), E_POINTER);
  object->Release();
}

TEST_F(Direct, SearchInfoFillsGettersThatCanBeReadTwice) {
  IGetDBInfo* object = NewObject();
  ASSERT_NE(object, nullptr);
  Bstr before;
  EXPECT_EQ(object->GetID(before.out()), S_OK);
  EXPECT_EQ(before.text(), L"") << "nothing before the first SearchInfo";

  short r = 99;
  Bstr cookie(L"TESKA01-COOKIE");
  ASSERT_EQ(object->SearchInfo(cookie.value, &r), S_OK);
  ASSERT_EQ(r, 0);
  Bstr address, hobby, id, again, emp, got;
  EXPECT_EQ(object->GetAddress(address.out()), S_OK);
  EXPECT_EQ(address.text(), L"\uC11C\uC6B8\uD2B9\uBCC4\uC2DC \uAC15\uB0A8\uAD6C \uD14C\uD5E4\uB780\uB85C 101");
  EXPECT_EQ(object->GetHobby(hobby.out()), S_OK);
  EXPECT_EQ(hobby.text(), L"\uC74C\uC545 \uAC10\uC0C1");  // 음악 감상
  EXPECT_EQ(object->GetID(id.out()), S_OK);
  EXPECT_EQ(object->GetID(again.out()), S_OK);
  EXPECT_EQ(id.text(), L"teska01");
  EXPECT_EQ(again.text(), L"teska01");
  EXPECT_EQ(object->GetEmpType(emp.out()), S_OK);
  EXPECT_EQ(emp.text(), L"A1");
  EXPECT_EQ(object->GetCookie(got.out()), S_OK);
  EXPECT_EQ(got.text(), L"TESKA01-COOKIE");
  EXPECT_EQ(object->GetSchooleCareer(got.out()), S_OK);
  EXPECT_EQ(got.text(), L"04");

  Bstr unknown(L"NO-SUCH-COOKIE");
  ASSERT_EQ(object->SearchInfo(unknown.value, &r), S_OK);
  EXPECT_EQ(r, -2);
  EXPECT_EQ(object->GetAddress(address.out()), S_OK);
  EXPECT_EQ(address.text(), L"") << "no field of the earlier member stays";
  EXPECT_EQ(object->GetCookie(got.out()), S_OK);
  EXPECT_EQ(got.text(), L"NO-SUCH-COOKIE");
  EXPECT_EQ(object->GetAddress(nullptr), E_POINTER);
  object->Release();
}

TEST_F(Direct, SearchHostChangesWhatGetHostGives) {
  IGetDBInfo* object = NewObject();
  ASSERT_NE(object, nullptr);
  Bstr host;
  EXPECT_EQ(object->GetHost(host.out()), S_OK);
  EXPECT_EQ(host.text(), L"127.0.0.1") << "the server of DASTREL_SERVER";
  EXPECT_EQ(object->SearchHost(nullptr), S_OK);
  EXPECT_EQ(object->GetHost(host.out()), S_OK);
  EXPECT_EQ(host.text(), L"127.0.0.1");
  Bstr other(L"10.1.2.3");
  EXPECT_EQ(object->SearchHost(other.value), S_OK);
  EXPECT_EQ(object->GetHost(host.out()), S_OK);
  EXPECT_EQ(host.text(), L"10.1.2.3");
  object->Release();
}

TEST_F(Direct, AnswersLateBoundCallsFromTheTypeLibrary) {
  IGetDBInfo* object = NewObject();
  ASSERT_NE(object, nullptr);
  IDispatch* dispatch = object;
  UINT count = 0;
  EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  LPOLESTR name = const_cast<LPOLESTR>(L"CheckPassword");
  DISPID id = 0;
  ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  EXPECT_EQ(id, 27);

  VARIANT args[2];  // in reverse order
  ::VariantInit(&args[0]);
  ::VariantInit(&args[1]);
  args[1].vt = VT_BSTR;
  args[1].bstrVal = ::SysAllocString(L"teska01");
  args[0].vt = VT_BSTR;
  args[0].bstrVal = ::SysAllocString(L"pass02");
  DISPPARAMS params{args, nullptr, 2, 0};
  VARIANT result;
  ::VariantInit(&result);
  ASSERT_EQ(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
  EXPECT_EQ(result.vt, VT_I2);
  EXPECT_EQ(result.iVal, 1);
  ::VariantClear(&args[0]);
  ::VariantClear(&args[1]);
  object->Release();
}

// --- after regsvr32 ------------------------------------------------------------

std::wstring RegistryDefault(const std::wstring& key, const wchar_t* value = nullptr) {
  wchar_t data[1024] = {};
  DWORD size = sizeof data;
  if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
    return L"<missing>";
  }
  return data;
}

bool KeyExists(const std::wstring& key) {
  HKEY handle = nullptr;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  ::RegCloseKey(handle);
  return true;
}

using Registered = ComTest;

TEST_F(Registered, WroteTheClassAndProgIdKeys) {
  const std::wstring clsid = std::wstring(L"CLSID\\") + kClsidText;
  EXPECT_EQ(RegistryDefault(clsid), L"GetDBInfo Class");
  EXPECT_EQ(RegistryDefault(clsid + L"\\ProgID"), L"Dastrel.GetDBInfo.1");
  EXPECT_EQ(RegistryDefault(clsid + L"\\VersionIndependentProgID"), L"Dastrel.GetDBInfo");
  EXPECT_EQ(RegistryDefault(clsid + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(RegistryDefault(clsid + L"\\TypeLib"), L"{DD303410-96E5-49CC-87A1-FDF13583D2AB}");
  EXPECT_TRUE(KeyExists(clsid + L"\\Programmable"));
  std::wstring dll = DASTREL_DLL_PATH;
  for (wchar_t& c : dll) c = c == L'/' ? L'\\' : c;
  wchar_t shortPath[MAX_PATH] = {};
  ASSERT_GT(::GetShortPathNameW(dll.c_str(), shortPath, MAX_PATH), 0u);
  EXPECT_EQ(RegistryDefault(clsid + L"\\InprocServer32"), shortPath);
  EXPECT_EQ(RegistryDefault(L"Dastrel.GetDBInfo"), L"GetDBInfo Class");
  EXPECT_EQ(RegistryDefault(L"Dastrel.GetDBInfo\\CurVer"), L"Dastrel.GetDBInfo.1");
  EXPECT_EQ(RegistryDefault(L"Dastrel.GetDBInfo.1\\CLSID"), kClsidText);
  EXPECT_TRUE(KeyExists(L"TypeLib\\{DD303410-96E5-49CC-87A1-FDF13583D2AB}\\1.0"));
}

TEST_F(Registered, ActivatesByProgIdAndByClsid) {
  for (const wchar_t* progId : {L"Dastrel.GetDBInfo", L"Dastrel.GetDBInfo.1"}) {
    CLSID clsid;
    ASSERT_EQ(::CLSIDFromProgID(progId, &clsid), S_OK) << progId;
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_GetDBInfo));
  }
  IGetDBInfo* object = nullptr;
  ASSERT_EQ(::CoCreateInstance(CLSID_GetDBInfo, nullptr, CLSCTX_INPROC_SERVER, IID_IGetDBInfo,
                               reinterpret_cast<void**>(&object)),
            S_OK);
  short r = 99;
  Bstr id(L"teska01"), password(L"pass01");
  EXPECT_EQ(object->CheckPassword(id.value, password.value, &r), S_OK);
  EXPECT_EQ(r, 0);
  Bstr cookie(L"TESKA01-COOKIE"), office;
  EXPECT_EQ(object->SearchInfo(cookie.value, &r), S_OK);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(object->GetOfficeName(office.out()), S_OK);
  EXPECT_EQ(office.text(), L"\uD14C\uC2A4\uCE74\uB137 \uACE0\uAC1D\uC9C0\uC6D0\uD300");  // 테스카넷 고객지원팀
  object->Release();
}

using Unregistered = ComTest;

TEST_F(Unregistered, RemovedItsKeysAndKeptTheClsidRoot) {
  EXPECT_FALSE(KeyExists(std::wstring(L"CLSID\\") + kClsidText));
  EXPECT_FALSE(KeyExists(L"Dastrel.GetDBInfo"));
  EXPECT_FALSE(KeyExists(L"Dastrel.GetDBInfo.1"));
  EXPECT_FALSE(KeyExists(L"TypeLib\\{DD303410-96E5-49CC-87A1-FDF13583D2AB}"));
  EXPECT_TRUE(KeyExists(L"CLSID"));
  IUnknown* object = nullptr;
  EXPECT_EQ(::CoCreateInstance(CLSID_GetDBInfo, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
            REGDB_E_CLASSNOTREG);
}

}  // namespace

namespace {
TEST_F(Unregistered, UnregisteringAgainFindsNothingToRemove) {
  HMODULE module = ::LoadLibraryW(DASTREL_DLL_PATH);
  ASSERT_NE(module, nullptr);
  using Fn = HRESULT(STDAPICALLTYPE*)();
  auto unregister = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, "DllUnregisterServer")));
  ASSERT_NE(unregister, nullptr);
  EXPECT_EQ(unregister(), S_OK);
  ::FreeLibrary(module);
}
}  // namespace
