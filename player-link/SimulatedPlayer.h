// A simulated player: what the player does for every command of the player
// link, on both media, with the faults a test asks for. Its state is the
// device's, not a session's: every session that reaches it sees the same
// entries, the same selection and the same pending transfer.
//
// Behaviour chosen where the player is not pinned down:
// - A file whose file-name part equals that of an entry on the same medium
//   (exact, case-sensitive) replaces that entry in place once it has been
//   received whole; until then the old entry stays. A player set up with
//   replacesSameName off adds it as one more entry instead.
// - The answer to code 1 is the free space, or 0 when the announced blocks do
//   not fit; a file whose header does not match the announced block count,
//   or lacks the tag, is received but not stored.
// - Code 2 without a valid selection sends blocks of 0xFF (an erased block);
//   a selection outlives reads and writes and ends with a delete, an erase,
//   a format or a reorder.
// - An entry takes its header block and its data blocks of the capacity.
// - A new command drops whatever transfer was pending: blocks announced on
//   the in pipe and not read yet are gone, and so is a file half written.
// - Code 0 answers kAnswerMediumFull instead of the size while the medium
//   has no room for a file of one data block.
// - A medium that is not present (a card taken out) answers 0 to every
//   command; its entries are there again when it comes back.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/Result.h"
#include "player-link/Driver.h"
#include "player-link/Protocol.h"

namespace playerlink::sim {

enum class MediumId : std::uint8_t { kInternal = 0, kCard = 1 };
inline constexpr std::size_t kMediumCount = 2;
std::uint8_t BaseOf(MediumId medium);

struct StoredEntry {
  Block header;          // as the PC wrote it; sent back verbatim
  std::uint32_t size = 0;
  std::string key;       // the storage's name for the bytes
};

// Where a player keeps the bytes of its files (memory for tests, a folder for
// the standalone player).
class MediaStorage {
 public:
  virtual ~MediaStorage() = default;

  class Incoming {
   public:
    virtual ~Incoming() = default;  // without Commit the bytes are dropped
    // The file's size as its header announces it, before its first byte:
    // room for it may be made at once (at most the medium's free space).
    virtual void Reserve(std::uint64_t) {}
    virtual common::Result<void> Append(std::span<const std::uint8_t> bytes) = 0;
    virtual common::Result<void> Commit(const Block& header) = 0;
  };

  // The entries kept from an earlier run, in entry order.
  virtual common::Result<std::vector<StoredEntry>> Load(MediumId medium) = 0;
  // Starts receiving a file. `replacing` is the key of the entry it will
  // replace, if any; `key` receives the key the file will have.
  virtual common::Result<std::unique_ptr<Incoming>> Receive(MediumId medium, std::u16string_view fileName,
                                                            const std::string* replacing,
                                                            std::string& key) = 0;
  virtual common::Result<std::size_t> ReadData(MediumId medium, const std::string& key, std::uint64_t offset,
                                               std::span<std::uint8_t> out) = 0;
  virtual common::Result<void> Remove(MediumId medium, const std::string& key) = 0;
  virtual common::Result<void> SaveOrder(MediumId medium, const std::vector<StoredEntry>& entries) = 0;
};

std::unique_ptr<MediaStorage> NewMemoryStorage();

struct MediumSettings {
  bool present = true;
  bool formatted = true;  // an unformatted medium counts 30718 directory blocks
  std::uint32_t capacity = 128u << 20;
};

// How fast the player's USB link answers: each command costs
// commandLatency, and the bytes of every command and block take their time
// at bytesPerSecond, one call after the other (the link carries one transfer
// at a time). A call returns when its transfer would have ended. Zero, the
// default, answers at once, so tests stay fast.
struct LinkPace {
  std::uint64_t bytesPerSecond = 0;
  std::chrono::microseconds commandLatency{0};
  bool paced() const { return bytesPerSecond > 0 || commandLatency.count() > 0; }
};
// The real player on USB 1.1 full speed: about 1 MB/s on its bulk pipes and
// a few milliseconds for a command's control transfer and the player's answer.
inline constexpr LinkPace kUsbFullSpeed{1000000, std::chrono::microseconds(3000)};

struct PlayerSettings {
  std::uint32_t identifier = 0x1A2B3C4D;
  std::uint16_t firmwareTimesTen = 14;
  std::uint8_t modelLow = 0x12, modelHigh = 0xF0;  // "F012"
  std::array<MediumSettings, kMediumCount> media{MediumSettings{}, MediumSettings{true, true, 64u << 20}};
  bool replacesSameName = true;
  LinkPace pace;
};

// Faults a test can arm. Counts `times` fall by one on each use; -1 is forever.
struct Faults {
  std::array<bool, 3> failOpen{};  // by Device

  struct Command {
    std::uint8_t code = 0;
    std::optional<std::uint8_t> base;     // any medium when empty
    bool failCall = false;                // the control call fails
    CommandAnswer answer;                 // else this answer, the command not carried out
    int times = -1;
  };
  std::vector<Command> commands;

  // The k-th block (from 1) on a pipe after a command moves only `bytes`.
  struct ShortBlock {
    bool read = true;                     // in pipe; false: out pipe
    unsigned k = 1;
    std::optional<std::uint8_t> afterCode;
    std::size_t bytes = kBlockSize / 2;
    int times = -1;
  };
  std::vector<ShortBlock> shortBlocks;

  // Directory block k (the information block is 1) goes out without the tag.
  unsigned badTagAtDirectoryBlock = 0;

  // The player goes away when the k-th block (from 1) on the in pipe after a
  // command is to be read: that read fails, and so do the next `calls`
  // device calls (opens, commands, blocks), as with the cable pulled; then
  // it answers again, entries kept. `calls` -1: gone for good.
  struct Unplug {
    unsigned k = 1;
    std::optional<std::uint8_t> afterCode;
    int calls = -1;
    int times = 1;
  };
  std::vector<Unplug> unplugs;

  // Directory block k goes out erased (every byte 0xFF), `erasedTimes`
  // reads long (-1: forever).
  unsigned erasedDirectoryBlock = 0;
  int erasedTimes = -1;
};

struct Event {
  enum class Kind { kCommand, kWrite, kRead } kind = Kind::kCommand;
  CommandRequest request;       // kCommand
  std::size_t bytes = 0;        // kWrite / kRead: bytes moved
  std::uint8_t firstByte = 0;   // kWrite: byte 0 of the block
};

class SimulatedPlayer {
 public:
  explicit SimulatedPlayer(PlayerSettings settings = {}, std::unique_ptr<MediaStorage> storage = nullptr);
  // Loads what the storage kept from an earlier run.
  common::Result<void> LoadStorage();

  // The device calls.
  bool OpenAllowed(Device device);
  std::optional<std::size_t> Control(std::span<std::uint8_t> buffer, std::size_t requestSize);
  std::optional<std::size_t> Write(std::span<const std::uint8_t> data);
  std::optional<std::size_t> Read(std::span<std::uint8_t> data);

  // Set-up and inspection for tests and the standalone player.
  void SetFaults(Faults faults);
  void SetMedium(MediumId medium, MediumSettings settings);
  void SetPace(LinkPace pace);
  std::uint32_t identifier() const;
  // Stores a file as a PC would have written it (header built from `name`).
  common::Result<void> Store(MediumId medium, std::u16string_view name, std::span<const std::uint8_t> data);
  // Stores a file under a header block of the caller's (odd names, say).
  common::Result<void> StoreWithHeader(MediumId medium, const Block& header, std::span<const std::uint8_t> data);
  std::vector<StoredEntry> Entries(MediumId medium) const;
  common::Result<std::vector<std::uint8_t>> EntryData(MediumId medium, std::size_t index) const;
  std::uint32_t FreeBytes(MediumId medium) const;
  std::vector<Event> TakeEvents();

 private:
  struct Medium {
    MediumSettings settings;
    std::vector<StoredEntry> entries;
  };
  struct PendingWrite {
    MediumId medium{};
    std::uint32_t blocksLeft = 0;
    bool haveHeader = false;
    bool discard = false;  // received but not stored
    Block header{};
    std::uint32_t size = 0;
    std::uint64_t received = 0;
    std::optional<std::size_t> replaces;
    std::string key;
    std::unique_ptr<MediaStorage::Incoming> incoming;
  };
  enum class OutState { kNone, kEntryBlock, kFile };
  enum class InState { kNone, kEntry, kDirectory, kErased };

  CommandAnswer Execute(MediumId medium, CommandCode code, const CommandRequest& request);
  const Faults::Command* MatchCommandFault(std::uint8_t base, std::uint8_t code);
  std::optional<std::size_t> ShortBlockBytes(bool read);
  // True while the player is away; each call spends one of the calls left.
  bool AwayLocked();
  bool UnplugNow();
  void DropPending();
  std::optional<std::size_t> WriteFileBlock(std::span<const std::uint8_t> block);
  std::optional<std::size_t> TakeHeader(std::span<const std::uint8_t> block);
  common::Result<void> FinishFile();
  void TakeEntryBlock(std::span<const std::uint8_t> block);
  bool FillInBlock(std::span<std::uint8_t> out);
  std::uint64_t Used(MediumId medium) const;
  std::uint32_t FreeLocked(MediumId medium) const;
  std::optional<std::size_t> FindByFileName(MediumId medium, std::u16string_view name) const;
  common::Result<void> StoreLocked(MediumId medium, const Block& header, std::span<const std::uint8_t> data);
  void SaveOrder(MediumId medium);
  void Log(Event e);
  // Holds a device call until its transfer would have ended on a paced link;
  // made before the call takes the lock, so it waits with the lock released.
  class PacedCall;
  void WaitForLink(std::size_t bytes, bool command);

  mutable std::mutex mutex_;
  PlayerSettings settings_;
  std::unique_ptr<MediaStorage> storage_;
  std::array<Medium, kMediumCount> media_;
  Faults faults_;
  std::vector<Event> events_;
  int awayCalls_ = 0;  // device calls that fail before it answers again; -1 forever

  std::optional<std::pair<MediumId, std::size_t>> selection_;
  std::uint8_t lastCode_ = 0xFF;
  unsigned readsSinceCommand_ = 0, writesSinceCommand_ = 0;
  OutState out_ = OutState::kNone;
  MediumId outMedium_{};
  PendingWrite write_;
  InState in_ = InState::kNone;
  MediumId inMedium_{};
  std::size_t inEntry_ = 0;
  std::uint32_t inNext_ = 0, inLeft_ = 0;
  std::chrono::steady_clock::time_point linkFreeAt_{};  // the paced link's last transfer ends then
};

// The in-process driver: a USB port with a player plugged in (or none).
// Sessions opened before a different player was plugged in fail from then on.
class SimulatedDriver : public Driver {
 public:
  SimulatedDriver() = default;
  explicit SimulatedDriver(std::shared_ptr<SimulatedPlayer> player) { Attach(std::move(player)); }

  void Attach(std::shared_ptr<SimulatedPlayer> player);
  void Detach() { Attach(nullptr); }
  std::shared_ptr<SimulatedPlayer> player() const;

  std::unique_ptr<DriverSession> NewSession() override;

 private:
  friend class SimulatedSession;
  // The player for a session that opened under `generation`; null once
  // another player has been plugged in.
  std::shared_ptr<SimulatedPlayer> PlayerFor(std::uint64_t generation) const;
  std::pair<std::shared_ptr<SimulatedPlayer>, std::uint64_t> Current() const;

  mutable std::mutex mutex_;
  std::shared_ptr<SimulatedPlayer> player_;
  std::uint64_t generation_ = 0;
};

}  // namespace playerlink::sim
