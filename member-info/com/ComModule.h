// What the objects of Dastrel.dll share with its module: the instance handle
// and the count of live objects and class-factory locks that
// DllCanUnloadNow reads.
#pragma once

#include <windows.h>

namespace dastrel::com {

HINSTANCE ModuleInstance();
void ModuleAddRef();
void ModuleRelease();

}  // namespace dastrel::com
