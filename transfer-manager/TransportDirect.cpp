// The transport library where no DLL can be loaded: Dravik's reader linked
// in, present when the program's folder holds a file "Dravik.dll".
#include "transfer-manager/Transport.h"
#include "transfer-manager/dravik/DravikApi.h"
#include "transfer-manager/dravik/QueueReader.h"

namespace halvern {

namespace {

class DirectTransport : public TransportLibrary {
 public:
  explicit DirectTransport(playerlink::Driver& driver) : reader_(driver) {}
  bool Init(std::uintptr_t inPipe, std::uint32_t blocks) override { return reader_.Init(inPipe, blocks); }
  bool ReadQueue(std::span<std::uint8_t, playerlink::kBlockSize> block) override { return reader_.ReadQueue(block); }
  void Cancel() override { reader_.Cancel(); }

 private:
  dravik::QueueReader reader_;
};

}  // namespace

std::unique_ptr<TransportLibrary> LoadTransportLibrary(const common::Path& programFolder, playerlink::Driver& driver) {
  const auto a = common::GetPathAttributes(programFolder / dravik::kLibraryName);
  if (!a.exists || a.directory) return nullptr;
  return std::make_unique<DirectTransport>(driver);
}

}  // namespace halvern
