// TMyDevice: the tray client's use of the player, for the "My PC" window and
// the channel sync dialog. Every operation but SendDeviceCommand opens the
// driver itself and closes it before it returns; nothing stays open between
// operations. Used on the user-interface thread only; transfers run on a
// TDNFileThread with handles of its own.
//
// GetTotalMemory, GetFreeMemory and ReadDeviceDirectory's lines give sizes
// as the windows compare and show them, in thousands of bytes (bytes div
// 1000); the ...Bytes and ReadDirectoryEntries forms give the raw numbers.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/File.h"
#include "platform/MessageTarget.h"
#include "player-link/Link.h"

namespace orvel {

inline constexpr const char* kModelName = "Moltree";

struct DeviceEntry {
  unsigned number = 0;       // 1-based entry number; above 255 it cannot be selected
  std::u16string name;       // the part of the stored name after the last folder separator
  std::uint32_t size = 0;    // bytes
  // The identity a command checks again after a question: same number,
  // name and size.
  bool operator==(const DeviceEntry&) const = default;
};

// Sizes of the player's files and memory as the windows use them.
constexpr std::uint64_t Thousands(std::uint64_t bytes) { return bytes / 1000; }
// A file goes to the player only when the free memory, in thousands of
// bytes, is greater than the file's size in thousands: a file exactly as
// large is not written.
constexpr bool FitsInFreeMemory(std::uint64_t fileBytes, std::uint64_t freeThousands) {
  return freeThousands > Thousands(fileBytes);
}
// The directory line of an entry: the name, "/", its size in thousands of
// bytes and "k" ("채널.mp3/4123k"), UTF-8.
std::string DirectoryLine(const DeviceEntry& entry);

class TMyDevice {
 public:
  TMyDevice();  // the process's driver (playerlink::SystemDriver)
  explicit TMyDevice(playerlink::Driver& driver);

  // Opens control, in pipe and out pipe; true when the control device opened.
  bool OpenDriver();
  void CloseDriver();
  // One command on the built-in memory between OpenDriver and CloseDriver;
  // 0 = failure (also when the driver is not open or the mode is not 4 or 8).
  std::uint32_t SendDeviceCommand(std::uint8_t code, std::uint32_t argument, std::uint8_t mode);

  // Sets the model name; true when the player's control device opens.
  bool DetectDevice();
  // Whether the last operation found the player busy: another conversation
  // of this process (a transfer thread, another window) was open, so the
  // operation did nothing and answered false or 0. Cleared by the next
  // operation that opens the driver.
  bool busy() const { return busy_; }
  // Thousands of bytes; 0 when the player does not answer.
  std::uint32_t GetTotalMemory();
  std::uint32_t GetFreeMemory();
  // Bytes; 0 when the player does not answer. The free memory is as the
  // player answers it (1 means none free).
  std::uint32_t TotalMemoryBytes();
  std::uint32_t FreeMemoryBytes();
  bool FormatDevice();
  // Deletes the entry a decimal text names (1-255); a text that is not such a
  // number deletes nothing and gives false.
  bool DeleteEntry(std::string_view entryNumber);
  // Appends the player's files in entry order, as DirectoryLine texts or as
  // entries; true when at least one was added. Refreshes the identifier
  // from the information block.
  bool ReadDeviceDirectory(std::vector<std::string>& lines);
  bool ReadDirectoryEntries(std::vector<DeviceEntry>& entries);
  // The whole directory; nothing when the player did not answer it (an
  // empty player gives an empty list).
  std::optional<std::vector<DeviceEntry>> ReadWholeDirectory();
  // The number of entries, from the directory's block count alone (no
  // directory blocks move); nothing when the player does not answer.
  std::optional<unsigned> EntryCount();
  // Deletes entry `expected.number` only when the player's header of that
  // entry, read in the same conversation, still carries `expected`'s name
  // and size. False when it does not, or the delete failed.
  bool DeleteEntryIf(const DeviceEntry& expected);

  // Start a TDNFileThread (mode 1: the PC file to the player under
  // `headerName`; mode 2: entry `entryIndex`, 0-based decimal text, into
  // `target`). True once the thread runs; it reports to `window` with
  // `message`.
  // The thread shares ownership of `window`, so the receiver outlives a
  // window that goes before the thread's last report.
  bool StartWriteThread(std::shared_ptr<platform::MessageTarget> window, const common::Path& file,
                        std::u16string headerName, std::uint32_t message);
  bool StartReadThread(std::shared_ptr<platform::MessageTarget> window, std::string_view entryIndex,
                       const common::Path& target, std::uint32_t message);

  // The identifier of the last directory read: 8 upper-case hexadecimal digits.
  const std::string& identifier() const { return identifier_; }
  const std::string& modelName() const { return modelName_; }
  const playerlink::DeviceCommand& commandBuffer() const { return link_.commandBuffer(); }

 private:
  playerlink::CommandAnswer Command(playerlink::CommandCode code, std::uint32_t argument, std::uint8_t mode);

  playerlink::Driver& driver_;
  playerlink::Link link_;
  std::string identifier_;
  std::string modelName_;
  bool busy_ = false;
};

}  // namespace orvel
