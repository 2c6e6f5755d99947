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

bool TMyDevice::OpenDriver() {
  const auto opened = link_.Open();
  busy_ = opened.busy;
  return opened.control;
}

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

namespace {

std::vector<DeviceEntry> EntriesOf(const playerlink::Directory& directory) {
  std::vector<DeviceEntry> entries;
  for (const playerlink::DirectoryEntry& entry : directory.entries) {
    entries.push_back({entry.number, std::u16string(playerlink::FileNamePart(entry.header.name)), entry.header.size});
  }
  return entries;
}

}  // namespace

bool TMyDevice::ReadDirectoryEntries(std::vector<DeviceEntry>& entries) {
  if (!OpenDriver()) return false;
  const playerlink::Directory directory = playerlink::ReadDirectory(link_, kInternalMemoryBase);
  CloseDriver();
  if (directory.info) identifier_ = playerlink::IdentifierText(directory.info->identifier);
  std::vector<DeviceEntry> read = EntriesOf(directory);
  entries.insert(entries.end(), read.begin(), read.end());
  return !directory.entries.empty();
}

std::optional<std::vector<DeviceEntry>> TMyDevice::ReadWholeDirectory() {
  if (!OpenDriver()) return std::nullopt;
  const playerlink::Directory directory = playerlink::ReadDirectory(link_, kInternalMemoryBase);
  CloseDriver();
  if (!directory.info) return std::nullopt;
  identifier_ = playerlink::IdentifierText(directory.info->identifier);
  // A read that stopped part way is not the whole directory: a list cut
  // short would let a name the player holds pass as new.
  if (directory.end != playerlink::Directory::End::kComplete) return std::nullopt;
  return EntriesOf(directory);
}

std::optional<unsigned> TMyDevice::EntryCount() {
  if (!OpenDriver()) return std::nullopt;
  const auto count = playerlink::QueryDirectoryCount(link_, kInternalMemoryBase);
  CloseDriver();
  if (!count || *count == 0 || *count == playerlink::kCountUnformattedMedium) return std::nullopt;
  return *count - 1u;
}

bool TMyDevice::DeleteEntryIf(const DeviceEntry& expected) {
  if (expected.number < 1 || expected.number > 255) return false;
  if (!OpenDriver()) return false;
  bool deleted = false;
  playerlink::Block block = playerlink::BuildSelectionBlock(static_cast<std::uint8_t>(expected.number));
  if (Command(CommandCode::kEntryBlock, 1, kMode4).ok() && link_.WriteBlock(block) &&
      Command(CommandCode::kReadEntry, 1, kMode4).ok() && link_.ReadBlock(block)) {
    // The selection outlives the read: the delete takes the entry just seen.
    const auto header = playerlink::ParseFileHeader(block);
    deleted = header && header->size == expected.size && playerlink::FileNamePart(header->name) == expected.name &&
              Command(CommandCode::kDelete, 1, kMode4).ok();
  }
  CloseDriver();
  return deleted;
}

bool TMyDevice::StartWriteThread(std::shared_ptr<platform::MessageTarget> window, const common::Path& file,
                                 std::u16string headerName, std::uint32_t message) {
  return TDNFileThread::Start(std::make_unique<TDNFileThread>(driver_, std::move(window), file.u16string(),
                                                              std::move(headerName), message,
                                                              TDNFileThread::kModeWrite));
}

bool TMyDevice::StartReadThread(std::shared_ptr<platform::MessageTarget> window, std::string_view entryIndex,
                                const common::Path& target, std::uint32_t message) {
  return TDNFileThread::Start(std::make_unique<TDNFileThread>(driver_, std::move(window),
                                                              std::u16string(entryIndex.begin(), entryIndex.end()),
                                                              target.u16string(), message, TDNFileThread::kModeRead));
}

}  // namespace orvel
