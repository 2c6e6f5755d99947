// The transport library Dravik.dll, loaded from the program's folder.
#include <windows.h>

#include "transfer-manager/Transport.h"
#include "transfer-manager/dravik/DravikApi.h"

namespace halvern {

namespace {

template <class F>
F Export(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class DllTransport : public TransportLibrary {
 public:
  DllTransport(HMODULE module, dravik::InitFunction init, dravik::ReadQueueFunction readQueue,
               dravik::CancelFunction cancel)
      : module_(module), init_(init), readQueue_(readQueue), cancel_(cancel) {}
  ~DllTransport() override { FreeLibrary(module_); }

  bool Init(std::uintptr_t inPipe, std::uint32_t blocks) override {
    return init_(static_cast<std::intptr_t>(inPipe), static_cast<std::int32_t>(blocks)) != 0;
  }
  bool ReadQueue(std::span<std::uint8_t, playerlink::kBlockSize> block) override {
    return readQueue_(block.data()) != 0;
  }
  void Cancel() override { cancel_(); }

 private:
  HMODULE module_;
  dravik::InitFunction init_;
  dravik::ReadQueueFunction readQueue_;
  dravik::CancelFunction cancel_;
};

}  // namespace

std::unique_ptr<TransportLibrary> LoadTransportLibrary(const common::Path& programFolder, playerlink::Driver&) {
  const common::Path file = programFolder / dravik::kLibraryName;
  // The full path, so only the library beside the program is taken.
  HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) return nullptr;
  const auto init = Export<dravik::InitFunction>(module, dravik::kInitName);
  const auto readQueue = Export<dravik::ReadQueueFunction>(module, dravik::kReadQueueName);
  const auto cancel = Export<dravik::CancelFunction>(module, dravik::kCancelName);
  if (!init || !readQueue || !cancel) {
    FreeLibrary(module);
    return nullptr;
  }
  return std::make_unique<DllTransport>(module, init, readQueue, cancel);
}

}  // namespace halvern
