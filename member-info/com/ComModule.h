// What the objects of Dastrel.dll share with its module: the instance handle
// and the count of live objects and class-factory locks that
// DllCanUnloadNow reads.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace dastrel::com {

HINSTANCE ModuleInstance();
// The full path of Dastrel.dll; empty when the platform cannot say.
std::wstring ModulePath();
// The type library embedded in Dastrel.dll, loaded without registering it.
HRESULT LoadModuleTypeLibrary(ITypeLib** library);
void ModuleAddRef();
void ModuleRelease();

}  // namespace dastrel::com
