#include "player-link/SimulatedPlayer.h"

#include <algorithm>
#include <numeric>
#include <thread>

#include "common/ByteOrder.h"

namespace playerlink::sim {

using common::Error;
using common::Result;

std::uint8_t BaseOf(MediumId medium) {
  return medium == MediumId::kCard ? kCardBase : kInternalMemoryBase;
}

namespace {

constexpr std::size_t kMaxEvents = 100000;

std::size_t Index(MediumId m) { return static_cast<std::size_t>(m); }

// The medium and code a command byte stands for.
std::optional<std::pair<MediumId, std::uint8_t>> SplitCommandByte(std::uint8_t byte) {
  for (MediumId m : {MediumId::kInternal, MediumId::kCard}) {
    const auto code = static_cast<std::uint8_t>(byte - BaseOf(m));
    if (code <= kHighestCommandCode) return std::pair{m, code};
  }
  return std::nullopt;
}

std::uint64_t Footprint(std::uint64_t size) { return FileBlockCount(size) * kBlockSize; }
constexpr std::uint64_t kSmallestFileFootprint = 2 * kBlockSize;

class MemoryStorage : public MediaStorage {
 public:
  class MemoryIncoming : public Incoming {
   public:
    MemoryIncoming(MemoryStorage& owner, std::pair<MediumId, std::string> slot)
        : owner_(owner), slot_(std::move(slot)) {}
    void Reserve(std::uint64_t bytes) override { bytes_.reserve(static_cast<std::size_t>(bytes)); }
    Result<void> Append(std::span<const std::uint8_t> bytes) override {
      bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
      return common::Ok();
    }
    Result<void> Commit(const Block&) override {
      owner_.files_[slot_] = std::move(bytes_);
      return common::Ok();
    }

   private:
    MemoryStorage& owner_;
    std::pair<MediumId, std::string> slot_;
    std::vector<std::uint8_t> bytes_;
  };

  Result<std::vector<StoredEntry>> Load(MediumId) override { return std::vector<StoredEntry>{}; }

  Result<std::unique_ptr<Incoming>> Receive(MediumId medium, std::u16string_view, const std::string* replacing,
                                            std::string& key) override {
    key = replacing ? *replacing : "entry-" + std::to_string(next_++);
    return std::unique_ptr<Incoming>(new MemoryIncoming(*this, {medium, key}));
  }

  Result<std::size_t> ReadData(MediumId medium, const std::string& key, std::uint64_t offset,
                               std::span<std::uint8_t> out) override {
    const auto it = files_.find({medium, key});
    if (it == files_.end()) return Error{0, "no data for " + key};
    const auto& bytes = it->second;
    if (offset >= bytes.size()) return std::size_t{0};
    const std::size_t n = std::min<std::uint64_t>(out.size(), bytes.size() - offset);
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), n, out.begin());
    return n;
  }

  Result<void> Remove(MediumId medium, const std::string& key) override {
    files_.erase({medium, key});
    return common::Ok();
  }

  Result<void> SaveOrder(MediumId, const std::vector<StoredEntry>&) override { return common::Ok(); }

 private:
  std::map<std::pair<MediumId, std::string>, std::vector<std::uint8_t>> files_;
  unsigned long long next_ = 1;
};

}  // namespace

std::unique_ptr<MediaStorage> NewMemoryStorage() { return std::make_unique<MemoryStorage>(); }

SimulatedPlayer::SimulatedPlayer(PlayerSettings settings, std::unique_ptr<MediaStorage> storage)
    : settings_(settings), storage_(storage ? std::move(storage) : NewMemoryStorage()) {
  for (std::size_t i = 0; i < kMediumCount; ++i) media_[i].settings = settings_.media[i];
}

Result<void> SimulatedPlayer::LoadStorage() {
  std::lock_guard lock(mutex_);
  for (MediumId m : {MediumId::kInternal, MediumId::kCard}) {
    auto entries = storage_->Load(m);
    if (!entries) return entries.error();
    media_[Index(m)].entries = std::move(*entries);
  }
  return common::Ok();
}

bool SimulatedPlayer::OpenAllowed(Device device) {
  std::lock_guard lock(mutex_);
  if (AwayLocked()) return false;
  return !faults_.failOpen[static_cast<std::size_t>(device)];
}

bool SimulatedPlayer::AwayLocked() {
  if (awayCalls_ == 0) return false;
  if (awayCalls_ > 0) --awayCalls_;
  return true;
}

bool SimulatedPlayer::UnplugNow() {
  for (auto& u : faults_.unplugs) {
    if (u.k != readsSinceCommand_ || u.times == 0) continue;
    if (u.afterCode && *u.afterCode != lastCode_) continue;
    if (u.times > 0) --u.times;
    awayCalls_ = u.calls;
    DropPending();
    return true;
  }
  return false;
}

class SimulatedPlayer::PacedCall {
 public:
  PacedCall(SimulatedPlayer& player, std::size_t bytes, bool command)
      : player_(player), bytes_(bytes), command_(command) {}
  ~PacedCall() { player_.WaitForLink(bytes_, command_); }
  PacedCall(const PacedCall&) = delete;
  PacedCall& operator=(const PacedCall&) = delete;

 private:
  SimulatedPlayer& player_;
  std::size_t bytes_;
  bool command_;
};

void SimulatedPlayer::WaitForLink(std::size_t bytes, bool command) {
  std::chrono::steady_clock::time_point until;
  {
    std::lock_guard lock(mutex_);
    const LinkPace& pace = settings_.pace;
    if (!pace.paced()) return;
    std::chrono::nanoseconds cost = command ? pace.commandLatency : std::chrono::nanoseconds(0);
    if (pace.bytesPerSecond > 0) {
      cost += std::chrono::nanoseconds(std::uint64_t{bytes} * 1000000000u / pace.bytesPerSecond);
    }
    linkFreeAt_ = std::max(linkFreeAt_, std::chrono::steady_clock::now()) +
                  std::chrono::duration_cast<std::chrono::steady_clock::duration>(cost);
    until = linkFreeAt_;
  }
  std::this_thread::sleep_until(until);
}

void SimulatedPlayer::SetPace(LinkPace pace) {
  std::lock_guard lock(mutex_);
  settings_.pace = pace;
}

void SimulatedPlayer::Log(Event e) {
  if (events_.size() < kMaxEvents) events_.push_back(e);
}

std::optional<std::size_t> SimulatedPlayer::Control(std::span<std::uint8_t> buffer, std::size_t requestSize) {
  const PacedCall paced(*this, buffer.size(), true);
  std::lock_guard lock(mutex_);
  if (AwayLocked()) return std::nullopt;
  if (requestSize != command::kRequestSize || buffer.size() < requestSize) return std::nullopt;
  const auto request = DecodeCommand(buffer);
  if (!request || buffer.size() != AnswerSize(request->mode)) return std::nullopt;
  Log({Event::Kind::kCommand, *request, 0, 0});

  DropPending();
  readsSinceCommand_ = writesSinceCommand_ = 0;
  const auto split = SplitCommandByte(request->commandByte);
  lastCode_ = split ? split->second : 0xFF;

  CommandAnswer answer;
  if (split) {
    const auto [medium, code] = *split;
    if (const auto fault = MatchCommandFault(BaseOf(medium), code)) {
      if (fault->failCall) return std::nullopt;
      answer = fault->answer;
    } else if (media_[Index(medium)].settings.present) {
      answer = Execute(medium, static_cast<CommandCode>(code), *request);
    }
  }
  EncodeAnswer(buffer, request->mode, answer);
  return AnswerSize(request->mode);
}

const Faults::Command* SimulatedPlayer::MatchCommandFault(std::uint8_t base, std::uint8_t code) {
  for (auto& f : faults_.commands) {
    if (f.code != code || (f.base && *f.base != base) || f.times == 0) continue;
    if (f.times > 0) --f.times;
    return &f;
  }
  return nullptr;
}

CommandAnswer SimulatedPlayer::Execute(MediumId medium, CommandCode code, const CommandRequest& request) {
  Medium& m = media_[Index(medium)];
  const std::uint32_t arg = request.argument;
  switch (code) {
    case CommandCode::kTotalMemory:
      // A medium without room for the smallest file (a header and one data
      // block) says it is full instead of giving its size.
      if (FreeLocked(medium) < kSmallestFileFootprint) return {kAnswerMediumFull, 0};
      return {m.settings.capacity, 0};
    case CommandCode::kBeginWrite: {
      if (!m.settings.formatted || arg == 0) return {};
      const std::uint32_t free = FreeLocked(medium);
      if (std::uint64_t{arg} * kBlockSize > free) return {};
      out_ = OutState::kFile;
      write_ = PendingWrite{};
      write_.medium = medium;
      write_.blocksLeft = arg;
      return {free, 0};
    }
    case CommandCode::kReadEntry: {
      if (arg == 0) return {};
      inMedium_ = medium;
      inNext_ = 0;
      if (selection_ && selection_->first == medium && selection_->second < m.entries.size()) {
        in_ = InState::kEntry;
        inEntry_ = selection_->second;
        inLeft_ = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(arg, FileBlockCount(m.entries[inEntry_].size)));
      } else {
        in_ = InState::kErased;
        inLeft_ = arg;
      }
      return {inLeft_, 0};
    }
    case CommandCode::kEraseAll:
    case CommandCode::kFormat:
      for (const auto& e : m.entries) (void)storage_->Remove(medium, e.key);
      m.entries.clear();
      selection_.reset();
      if (code == CommandCode::kFormat) m.settings.formatted = true;
      SaveOrder(medium);
      return {1, 0};
    case CommandCode::kEntryBlock:
      if (arg != 1) return {};
      out_ = OutState::kEntryBlock;
      outMedium_ = medium;
      return {1, 0};
    case CommandCode::kDirectoryInfo: {
      if (request.mode != kMode8) return {};
      const std::uint16_t count =
          m.settings.formatted
              ? static_cast<std::uint16_t>(std::min<std::size_t>(1 + m.entries.size(), 0xFFFF))
              : kCountUnformattedMedium;
      return {1, count};
    }
    case CommandCode::kReadDirectory:
      if (!m.settings.formatted || arg == 0) return {};
      in_ = InState::kDirectory;
      inMedium_ = medium;
      inNext_ = 0;
      inLeft_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(arg, 1 + m.entries.size()));
      return {inLeft_, 0};
    case CommandCode::kDelete: {
      if (!selection_ || selection_->first != medium || selection_->second >= m.entries.size()) return {};
      const auto at = m.entries.begin() + static_cast<std::ptrdiff_t>(selection_->second);
      (void)storage_->Remove(medium, at->key);
      m.entries.erase(at);  // the entries behind move down by one number
      selection_.reset();
      SaveOrder(medium);
      return {1, 0};
    }
    case CommandCode::kFreeMemory: {
      const std::uint32_t free = FreeLocked(medium);
      return {free == 0 ? kAnswerNoFreeSpace : free, 0};
    }
  }
  return {};
}

void SimulatedPlayer::DropPending() {
  if (out_ == OutState::kFile) write_ = PendingWrite{};
  out_ = OutState::kNone;
  in_ = InState::kNone;
  inLeft_ = 0;
}

std::optional<std::size_t> SimulatedPlayer::ShortBlockBytes(bool read) {
  const unsigned k = read ? readsSinceCommand_ : writesSinceCommand_;
  for (auto& f : faults_.shortBlocks) {
    if (f.read != read || f.k != k || f.times == 0) continue;
    if (f.afterCode && *f.afterCode != lastCode_) continue;
    if (f.times > 0) --f.times;
    return std::min(f.bytes, kBlockSize - 1);
  }
  return std::nullopt;
}

std::optional<std::size_t> SimulatedPlayer::Write(std::span<const std::uint8_t> data) {
  const PacedCall paced(*this, data.size(), false);
  std::lock_guard lock(mutex_);
  if (AwayLocked()) return std::nullopt;
  Log({Event::Kind::kWrite, {}, data.size(), data.empty() ? std::uint8_t{0} : data[0]});
  if (data.size() != kBlockSize) return std::nullopt;
  ++writesSinceCommand_;
  const auto shortBytes = ShortBlockBytes(false);
  switch (out_) {
    case OutState::kNone:
      return std::nullopt;  // nothing on the player takes a block now
    case OutState::kEntryBlock:
      out_ = OutState::kNone;
      if (shortBytes) return shortBytes;
      TakeEntryBlock(data);
      return kBlockSize;
    case OutState::kFile:
      if (shortBytes) {
        DropPending();
        return shortBytes;
      }
      return WriteFileBlock(data);
  }
  return std::nullopt;
}

std::optional<std::size_t> SimulatedPlayer::WriteFileBlock(std::span<const std::uint8_t> block) {
  if (!write_.haveHeader) return TakeHeader(block);
  const std::uint64_t keep = write_.received < write_.size
                                 ? std::min<std::uint64_t>(kBlockSize, write_.size - write_.received)
                                 : 0;
  if (!write_.discard && keep > 0) {
    if (!write_.incoming->Append(block.first(static_cast<std::size_t>(keep)))) {
      DropPending();
      return std::nullopt;
    }
  }
  write_.received += keep;
  if (--write_.blocksLeft == 0 && !FinishFile()) {
    DropPending();
    return std::nullopt;
  }
  return kBlockSize;
}

std::optional<std::size_t> SimulatedPlayer::TakeHeader(std::span<const std::uint8_t> block) {
  write_.haveHeader = true;
  std::copy(block.begin(), block.end(), write_.header.begin());
  const auto parsed = ParseFileHeader(block);
  if (!parsed || FileBlockCount(parsed->size) != write_.blocksLeft) {
    write_.discard = true;
  } else {
    write_.size = parsed->size;
    const std::u16string_view name = FileNamePart(parsed->name);
    if (settings_.replacesSameName) write_.replaces = FindByFileName(write_.medium, name);
    const Medium& m = media_[Index(write_.medium)];
    const std::uint64_t freed = write_.replaces ? Footprint(m.entries[*write_.replaces].size) : 0;
    if (Footprint(write_.size) > FreeLocked(write_.medium) + freed) {
      write_.discard = true;
    } else {
      auto incoming = storage_->Receive(write_.medium, name,
                                        write_.replaces ? &m.entries[*write_.replaces].key : nullptr, write_.key);
      if (!incoming) {
        DropPending();
        return std::nullopt;
      }
      write_.incoming = std::move(*incoming);
      write_.incoming->Reserve(write_.size);  // no more than the free space checked above
    }
  }
  if (--write_.blocksLeft == 0 && !FinishFile()) {
    DropPending();
    return std::nullopt;
  }
  return kBlockSize;
}

Result<void> SimulatedPlayer::FinishFile() {
  out_ = OutState::kNone;
  PendingWrite w = std::move(write_);
  write_ = PendingWrite{};
  if (w.discard) return common::Ok();
  if (auto r = w.incoming->Commit(w.header); !r) return r;
  StoredEntry entry{w.header, w.size, w.key};
  Medium& m = media_[Index(w.medium)];
  if (w.replaces) {
    m.entries[*w.replaces] = std::move(entry);
  } else {
    m.entries.push_back(std::move(entry));
  }
  SaveOrder(w.medium);
  return common::Ok();
}

void SimulatedPlayer::TakeEntryBlock(std::span<const std::uint8_t> block) {
  const auto parsed = ParseEntryBlock(block);
  if (!parsed) return;
  Medium& m = media_[Index(outMedium_)];
  if (parsed->kind == EntryBlock::Kind::kSelect) {
    if (parsed->entry >= 1 && parsed->entry <= m.entries.size()) {
      selection_ = std::pair{outMedium_, std::size_t{parsed->entry} - 1u};
    } else {
      selection_.reset();
    }
    return;
  }
  // A reorder must name every entry once; anything else leaves the order.
  const auto& order = parsed->order;
  if (order.size() != m.entries.size()) return;
  std::vector<bool> seen(order.size() + 1, false);
  for (std::uint8_t n : order) {
    if (n < 1 || n > order.size() || seen[n]) return;
    seen[n] = true;
  }
  std::vector<StoredEntry> reordered;
  reordered.reserve(order.size());
  for (std::uint8_t n : order) reordered.push_back(m.entries[n - 1u]);
  m.entries = std::move(reordered);
  selection_.reset();
  SaveOrder(outMedium_);
}

std::optional<std::size_t> SimulatedPlayer::Read(std::span<std::uint8_t> data) {
  const PacedCall paced(*this, data.size(), false);
  std::lock_guard lock(mutex_);
  if (AwayLocked()) return std::nullopt;
  if (data.size() != kBlockSize) return std::nullopt;
  ++readsSinceCommand_;
  if (UnplugNow()) {
    Log({Event::Kind::kRead, {}, 0, 0});
    return std::nullopt;
  }
  if (in_ == InState::kNone || inLeft_ == 0 || !FillInBlock(data)) {
    Log({Event::Kind::kRead, {}, 0, 0});
    return std::nullopt;
  }
  ++inNext_;
  --inLeft_;
  const std::size_t moved = ShortBlockBytes(true).value_or(kBlockSize);
  Log({Event::Kind::kRead, {}, moved, 0});
  return moved;
}

bool SimulatedPlayer::FillInBlock(std::span<std::uint8_t> out) {
  const Medium& m = media_[Index(inMedium_)];
  switch (in_) {
    case InState::kNone:
      return false;
    case InState::kErased:
      std::fill(out.begin(), out.end(), header::kFill);
      return true;
    case InState::kDirectory: {
      if (inNext_ == 0) {
        const Block info = BuildInfoBlock(
            {settings_.identifier, settings_.firmwareTimesTen, settings_.modelLow, settings_.modelHigh});
        std::copy(info.begin(), info.end(), out.begin());
        return true;
      }
      if (inNext_ - 1u >= m.entries.size()) return false;
      const Block& h = m.entries[inNext_ - 1u].header;
      std::copy(h.begin(), h.end(), out.begin());
      if (faults_.badTagAtDirectoryBlock == inNext_ + 1u) out[header::kTag] = 'T';
      if (faults_.erasedDirectoryBlock == inNext_ + 1u && faults_.erasedTimes != 0) {
        if (faults_.erasedTimes > 0) --faults_.erasedTimes;
        std::fill(out.begin(), out.end(), header::kFill);
      }
      return true;
    }
    case InState::kEntry: {
      if (inEntry_ >= m.entries.size()) return false;
      const StoredEntry& e = m.entries[inEntry_];
      if (inNext_ == 0) {
        std::copy(e.header.begin(), e.header.end(), out.begin());
        return true;
      }
      std::fill(out.begin(), out.end(), header::kFill);
      const std::uint64_t offset = std::uint64_t{inNext_ - 1u} * kBlockSize;
      if (offset >= e.size) return true;
      const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, e.size - offset));
      const auto got = storage_->ReadData(inMedium_, e.key, offset, out.first(want));
      return got && *got == want;
    }
  }
  return false;
}

std::uint64_t SimulatedPlayer::Used(MediumId medium) const {
  std::uint64_t used = 0;
  for (const auto& e : media_[Index(medium)].entries) used += Footprint(e.size);
  return used;
}

std::uint32_t SimulatedPlayer::FreeLocked(MediumId medium) const {
  const std::uint64_t capacity = media_[Index(medium)].settings.capacity;
  const std::uint64_t used = Used(medium);
  return used >= capacity ? 0 : static_cast<std::uint32_t>(capacity - used);
}

std::optional<std::size_t> SimulatedPlayer::FindByFileName(MediumId medium, std::u16string_view name) const {
  const auto& entries = media_[Index(medium)].entries;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto parsed = ParseFileHeader(entries[i].header);
    if (parsed && FileNamePart(parsed->name) == name) return i;
  }
  return std::nullopt;
}

void SimulatedPlayer::SaveOrder(MediumId medium) {
  (void)storage_->SaveOrder(medium, media_[Index(medium)].entries);
}

void SimulatedPlayer::SetFaults(Faults faults) {
  std::lock_guard lock(mutex_);
  faults_ = std::move(faults);
  awayCalls_ = 0;  // new faults: a player that went away is back
}

void SimulatedPlayer::SetMedium(MediumId medium, MediumSettings settings) {
  std::lock_guard lock(mutex_);
  media_[Index(medium)].settings = settings;
}

std::uint32_t SimulatedPlayer::identifier() const {
  std::lock_guard lock(mutex_);
  return settings_.identifier;
}

Result<void> SimulatedPlayer::Store(MediumId medium, std::u16string_view name, std::span<const std::uint8_t> data) {
  if (data.size() > kMaxFileSize) return Error{0, "a file of 4 GiB or more cannot be stored"};
  const Block header = BuildFileHeader(static_cast<std::uint32_t>(data.size()), name, NameEnd::kZeroUnit);
  std::lock_guard lock(mutex_);
  DropPending();
  if (const auto same = FindByFileName(medium, FileNamePart(name))) {
    Medium& m = media_[Index(medium)];
    (void)storage_->Remove(medium, m.entries[*same].key);
    m.entries.erase(m.entries.begin() + static_cast<std::ptrdiff_t>(*same));
    selection_.reset();
  }
  return StoreLocked(medium, header, data);
}

Result<void> SimulatedPlayer::StoreWithHeader(MediumId medium, const Block& header,
                                              std::span<const std::uint8_t> data) {
  std::lock_guard lock(mutex_);
  DropPending();
  return StoreLocked(medium, header, data);
}

Result<void> SimulatedPlayer::StoreLocked(MediumId medium, const Block& header, std::span<const std::uint8_t> data) {
  const std::uint32_t size = common::LoadLE32(&header[header::kSize]);
  if (size != data.size()) return Error{0, "the header's size differs from the data's"};
  if (Footprint(size) > FreeLocked(medium)) return Error{0, "the medium is full"};
  const auto parsed = ParseFileHeader(header);
  const std::u16string name = parsed ? std::u16string(FileNamePart(parsed->name)) : std::u16string();
  std::string key;
  auto incoming = storage_->Receive(medium, name, nullptr, key);
  if (!incoming) return incoming.error();
  if (auto r = (*incoming)->Append(data); !r) return r;
  if (auto r = (*incoming)->Commit(header); !r) return r;
  media_[Index(medium)].entries.push_back({header, size, key});
  SaveOrder(medium);
  return common::Ok();
}

std::vector<StoredEntry> SimulatedPlayer::Entries(MediumId medium) const {
  std::lock_guard lock(mutex_);
  return media_[Index(medium)].entries;
}

Result<std::vector<std::uint8_t>> SimulatedPlayer::EntryData(MediumId medium, std::size_t index) const {
  std::lock_guard lock(mutex_);
  const auto& entries = media_[Index(medium)].entries;
  if (index >= entries.size()) return Error{0, "no such entry"};
  std::vector<std::uint8_t> bytes(entries[index].size);
  auto got = storage_->ReadData(medium, entries[index].key, 0, bytes);
  if (!got) return got.error();
  if (*got != bytes.size()) return Error{0, "the entry's data is short"};
  return bytes;
}

std::uint32_t SimulatedPlayer::FreeBytes(MediumId medium) const {
  std::lock_guard lock(mutex_);
  return FreeLocked(medium);
}

std::vector<Event> SimulatedPlayer::TakeEvents() {
  std::lock_guard lock(mutex_);
  return std::exchange(events_, {});
}

// The driver side.

class SimulatedSession : public DriverSession {
 public:
  explicit SimulatedSession(SimulatedDriver& driver) : driver_(driver) {}

  bool Open(Device device) override {
    auto [player, generation] = driver_.Current();
    if (!player || (bound_ && generation != generation_)) return false;
    if (!player->OpenAllowed(device)) return false;
    bound_ = true;
    generation_ = generation;
    open_[static_cast<std::size_t>(device)] = true;
    return true;
  }
  void Close(Device device) override { open_[static_cast<std::size_t>(device)] = false; }
  bool IsOpen(Device device) const override { return open_[static_cast<std::size_t>(device)]; }

  std::optional<std::size_t> Control(std::span<std::uint8_t> buffer, std::size_t requestSize) override {
    auto player = PlayerFor(Device::kControl);
    if (!player) return std::nullopt;
    return player->Control(buffer, requestSize);
  }
  std::optional<std::size_t> Write(std::span<const std::uint8_t> data) override {
    auto player = PlayerFor(Device::kOutPipe);
    if (!player) return std::nullopt;
    return player->Write(data);
  }
  std::optional<std::size_t> Read(std::span<std::uint8_t> data) override {
    auto player = PlayerFor(Device::kInPipe);
    if (!player) return std::nullopt;
    return player->Read(data);
  }

 private:
  std::shared_ptr<SimulatedPlayer> PlayerFor(Device device) const {
    if (!open_[static_cast<std::size_t>(device)]) return nullptr;
    return driver_.PlayerFor(generation_);
  }

  SimulatedDriver& driver_;
  std::array<bool, 3> open_{};
  bool bound_ = false;
  std::uint64_t generation_ = 0;
};

void SimulatedDriver::Attach(std::shared_ptr<SimulatedPlayer> player) {
  std::lock_guard lock(mutex_);
  player_ = std::move(player);
  ++generation_;
}

std::shared_ptr<SimulatedPlayer> SimulatedDriver::player() const {
  std::lock_guard lock(mutex_);
  return player_;
}

std::unique_ptr<DriverSession> SimulatedDriver::NewSession() { return std::make_unique<SimulatedSession>(*this); }

std::shared_ptr<SimulatedPlayer> SimulatedDriver::PlayerFor(std::uint64_t generation) const {
  std::lock_guard lock(mutex_);
  return generation == generation_ ? player_ : nullptr;
}

std::pair<std::shared_ptr<SimulatedPlayer>, std::uint64_t> SimulatedDriver::Current() const {
  std::lock_guard lock(mutex_);
  return {player_, generation_};
}

}  // namespace playerlink::sim
