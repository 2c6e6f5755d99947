// Dravik.dll: the transport library that reads a file's data blocks from the
// player's in pipe for the transfer manager, over the process's driver (the
// USB driver, or the bridge to the simulated player).
#include <windows.h>

#include "player-link/Driver.h"
#include "transfer-manager/dravik/DravikApi.h"
#include "transfer-manager/dravik/QueueReader.h"

namespace {

dravik::QueueReader& Reader() {
  static dravik::QueueReader reader(playerlink::SystemDriver());
  return reader;
}

}  // namespace

extern "C" {

std::int32_t DRAVIK_CALL usbRead_init(std::intptr_t inPipe, std::int32_t blocks) {
  if (blocks < 0) return 0;
  return Reader().Init(static_cast<std::uintptr_t>(inPipe), static_cast<std::uint32_t>(blocks)) ? 1 : 0;
}

std::int32_t DRAVIK_CALL usbRead_readQueue(std::uint8_t* buffer) {
  if (buffer == nullptr) return 0;
  return Reader().ReadQueue(std::span<std::uint8_t, playerlink::kBlockSize>(buffer, playerlink::kBlockSize)) ? 1 : 0;
}

std::int32_t DRAVIK_CALL usbRead_cancel() {
  Reader().Cancel();
  return 1;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  // At process exit (reserved non-null) nothing is torn down: other threads
  // are gone and the reader's session may belong to them.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) Reader().Cancel();
  return TRUE;
}
