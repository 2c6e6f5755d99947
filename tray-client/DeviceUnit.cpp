#include "tray-client/DeviceUnit.h"

#include "common/TextCodec.h"
#include "player-link/Directory.h"
#include "tray-client/UpDnUnit.h"

namespace orvel {

using playerlink::CommandCode;
using playerlink::kInternalMemoryBase;
using playerlink::kMode4;
using playerlink::kMode8;

TMyDevice::TMyDevice() : TMyDevice(playerlink::SystemDriver()) {}

TMyDevice::TMyDevice(playerlink::Driver& driver) : driver_(driver), link_(driver) {}

bool TMyDevice::OpenDriver() { return link_.Open().control; }

void TMyDevice::CloseDriver() { link_.Close(); }

playerlink::CommandAnswer TMyDevice::Command(CommandCode code, std::uint32_t argument, std::uint8_t mode) {
  return link_.Command(kInternalMemoryBase, code, argument, mode);
}

std::uint32_t TMyDevice::SendDeviceCommand(std::uint8_t code, std::uint32_t argument, std::uint8_t mode) {
  return link_.Command(static_cast<std::uint8_t>(kInternalMemoryBase + code), argument, mode).result;
}

bool TMyDevice::DetectDevice() {
  modelName_ = kModelName;
  const bool present = OpenDriver();
  CloseDriver();
  return present;
}

std::string DirectoryLine(const DeviceEntry& entry) {
  return common::Utf16ToUtf8Lossy(entry.name) + "/" + std::to_string(Thousands(entry.size)) + "k";
}

std::uint32_t TMyDevice::GetTotalMemory() { return static_cast<std::uint32_t>(Thousands(TotalMemoryBytes())); }

std::uint32_t TMyDevice::GetFreeMemory() { return static_cast<std::uint32_t>(Thousands(FreeMemoryBytes())); }

std::uint32_t TMyDevice::TotalMemoryBytes() {
  if (!OpenDriver()) return 0;
  const std::uint32_t total = Command(CommandCode::kTotalMemory, 0, kMode4).result;
  CloseDriver();
  return total;
}

std::uint32_t TMyDevice::FreeMemoryBytes() {
  if (!OpenDriver()) return 0;
  std::uint32_t free = 0;
  if (Command(CommandCode::kTotalMemory, 0, kMode4).ok()) free = Command(CommandCode::kFreeMemory, 0, kMode4).result;
  CloseDriver();
  return free;
}

bool TMyDevice::FormatDevice() {
  if (!OpenDriver()) return false;
  const bool done = Command(CommandCode::kFormat, 0, kMode8).ok();
  CloseDriver();
  return done;
}

bool TMyDevice::DeleteEntry(std::string_view entryNumber) {
  const auto entry = playerlink::ParseEntryNumber(entryNumber);
  if (!entry) return false;
  if (!OpenDriver()) return false;
  bool deleted = false;
  if (Command(CommandCode::kEntryBlock, 1, kMode4).ok()) {
    const playerlink::Block selection = playerlink::BuildSelectionBlock(*entry);
    deleted = link_.WriteBlock(selection) && Command(CommandCode::kDelete, 1, kMode4).ok();
  }
  CloseDriver();
  return deleted;
}

bool TMyDevice::ReadDeviceDirectory(std::vector<std::string>& lines) {
  std::vector<DeviceEntry> entries;
  if (!ReadDirectoryEntries(entries)) return false;
  for (const DeviceEntry& entry : entries) lines.push_back(DirectoryLine(entry));
  return true;
}

bool TMyDevice::ReadDirectoryEntries(std::vector<DeviceEntry>& entries) {
  if (!OpenDriver()) return false;
  const playerlink::Directory directory = playerlink::ReadDirectory(link_, kInternalMemoryBase);
  CloseDriver();
  if (directory.info) identifier_ = playerlink::IdentifierText(directory.info->identifier);
  for (const playerlink::DirectoryEntry& entry : directory.entries) {
    entries.push_back({entry.number, std::u16string(playerlink::FileNamePart(entry.header.name)), entry.header.size});
  }
  return !directory.entries.empty();
}

bool TMyDevice::StartWriteThread(platform::MessageTarget& window, const common::Path& file, std::u16string headerName,
                                 std::uint32_t message) {
  return TDNFileThread::Start(std::make_unique<TDNFileThread>(driver_, window, file.u16string(),
                                                              std::move(headerName), message,
                                                              TDNFileThread::kModeWrite));
}

bool TMyDevice::StartReadThread(platform::MessageTarget& window, std::string_view entryIndex,
                                const common::Path& target, std::uint32_t message) {
  return TDNFileThread::Start(std::make_unique<TDNFileThread>(driver_, window,
                                                              std::u16string(entryIndex.begin(), entryIndex.end()),
                                                              target.u16string(), message, TDNFileThread::kModeRead));
}

}  // namespace orvel
