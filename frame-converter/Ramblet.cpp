// The DLL shell of the frame converter: one export, SC4toWAV.
#include <windows.h>

#include "frame-converter/Sc4Converter.h"

extern "C" int __stdcall SC4toWAV(const char* source, const char* destination) {
  if (source == nullptr) return static_cast<int>(ramblet::ConvertResult::kSourceNotOpened);
  if (destination == nullptr) return static_cast<int>(ramblet::ConvertResult::kDestinationNotCreated);
  return static_cast<int>(
      ramblet::ConvertSc4ToWav(common::PathFromAnsi(source), common::PathFromAnsi(destination)));
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
