// Dastrel.dll: the module of the in-process COM server. Its one class is
// GetDBInfo; the four exports find, count, register and unregister it.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <cwchar>
#include <string>

#include "member-info/Dastrel.h"
#include "member-info/com/ComModule.h"
#include "member-info/com/DastrelResources.h"
#include "member-info/com/GetDBInfoObject.h"
#include "member-info/com/Registrar.h"
#include "member-info/com/Registration.h"

namespace dastrel::com {
namespace {

HINSTANCE g_instance = nullptr;
std::atomic<long> g_count{0};  // live objects and class-factory locks

class ClassFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // The factory is one static object; a reference to it holds the module like a lock.
  ULONG STDMETHODCALLTYPE AddRef() override {
    ModuleAddRef();
    return 2;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    ModuleRelease();
    return 1;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return GetDBInfoObject::Create(riid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) ModuleAddRef();
    else ModuleRelease();
    return S_OK;
  }
};

ClassFactory g_factory;

// The registry script gets the module's path in its short form, with single
// quotes doubled for the script's quoting.
std::wstring ScriptModulePath(const std::wstring& path) {
  std::wstring shortPath(path.size() + 1, L'\0');
  DWORD n = ::GetShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
  if (n >= shortPath.size()) {
    shortPath.resize(n);
    n = ::GetShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
  }
  shortPath = (n == 0 || n >= shortPath.size()) ? path : shortPath.substr(0, n);
  std::wstring quoted;
  for (wchar_t c : shortPath) {
    quoted += c;
    if (c == L'\'') quoted += L'\'';
  }
  return quoted;
}

HRESULT RunScript(bool registering) {
  const std::wstring path = ModulePath();
  if (path.empty()) return HRESULT_FROM_WIN32(::GetLastError());
  RegistrarInterface* registrar = nullptr;
  HRESULT hr = ::CoCreateInstance(kRegistrarClsid, nullptr, CLSCTX_INPROC_SERVER, kRegistrarIid,
                                  reinterpret_cast<void**>(&registrar));
  if (FAILED(hr)) return hr;
  hr = registrar->AddReplacement(L"Module", ScriptModulePath(path).c_str());
  if (SUCCEEDED(hr)) {
    hr = registering ? registrar->ResourceRegister(path.c_str(), IDR_GETDBINFO, L"REGISTRY")
                     : registrar->ResourceUnregister(path.c_str(), IDR_GETDBINFO, L"REGISTRY");
  }
  registrar->Release();
  return hr;
}

HRESULT RegisterTypeLibrary() {
  ITypeLib* library = nullptr;
  HRESULT hr = LoadModuleTypeLibrary(&library);
  if (FAILED(hr)) return hr;
  const std::wstring path = ModulePath();
  std::wstring file = path;
  std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);
  hr = ::RegisterTypeLib(library, file.data(), folder.empty() ? nullptr : folder.data());
  library->Release();
  return hr;
}

bool TypeLibraryRegistered(const TLIBATTR& attributes) {
  wchar_t libid[40] = {};
  if (::StringFromGUID2(attributes.guid, libid, 40) == 0) return true;
  wchar_t key[96] = {};
  std::swprintf(key, 96, L"TypeLib\\%ls\\%x.%x", libid, attributes.wMajorVerNum, attributes.wMinorVerNum);
  HKEY handle = nullptr;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  ::RegCloseKey(handle);
  return true;
}

HRESULT UnregisterTypeLibrary() {
  ITypeLib* library = nullptr;
  HRESULT hr = LoadModuleTypeLibrary(&library);
  if (FAILED(hr)) return hr;
  TLIBATTR* attributes = nullptr;
  hr = library->GetLibAttr(&attributes);
  if (SUCCEEDED(hr) && !TypeLibraryRegistered(*attributes)) {
    hr = S_OK;  // nothing to remove (the platform would call that an invalid argument)
  } else if (SUCCEEDED(hr)) {
    // As the embedded type library states them: LIBID, version, locale, system.
    hr = ::UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                             attributes->lcid, attributes->syskind);
    library->ReleaseTLibAttr(attributes);
  }
  library->Release();
  return hr;
}

bool NothingToRemove(HResult hr) {
  return hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_LIBNOTREGISTERED ||
         hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

// Registration runs inside callers that may not have started COM (regsvr32
// does; others may not): start it for the call when needed.
template <class Run>
HRESULT WithCom(Run run) {
  const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const HRESULT hr = run();
  if (SUCCEEDED(init)) ::CoUninitialize();
  return hr;
}

RegistrationSteps Steps() {
  return RegistrationSteps{
      [] { return static_cast<HResult>(RunScript(true)); },
      [] { return static_cast<HResult>(RegisterTypeLibrary()); },
      [] { return static_cast<HResult>(RunScript(false)); },
      [] { return static_cast<HResult>(UnregisterTypeLibrary()); },
      NothingToRemove,
  };
}

}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

HRESULT LoadModuleTypeLibrary(ITypeLib** library) {
  *library = nullptr;
  const std::wstring path = ModulePath();
  if (path.empty()) return HRESULT_FROM_WIN32(::GetLastError());
  return ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library);
}
void ModuleAddRef() { ++g_count; }
void ModuleRelease() { --g_count; }

}  // namespace dastrel::com

using namespace dastrel::com;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllCanUnloadNow() { return g_count.load() == 0 ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_GetDBInfo)) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, out);
}

STDAPI DllRegisterServer() {
  return WithCom([] { return static_cast<HRESULT>(Register(Steps())); });
}

STDAPI DllUnregisterServer() {
  return WithCom([] { return static_cast<HRESULT>(Unregister(Steps())); });
}
