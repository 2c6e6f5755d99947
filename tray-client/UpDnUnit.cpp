#include "tray-client/UpDnUnit.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <thread>

#include "common/File.h"

namespace orvel {

using playerlink::Block;
using playerlink::CommandCode;
using playerlink::kBlockSize;
using playerlink::kInternalMemoryBase;
using playerlink::kMode4;

namespace {

// How long a transfer waits for another conversation with the player to end.
constexpr int kBusyWaitMs = 5000;
constexpr int kBusyRetryMs = 20;

// Bytes moved so far against the size: done div (size div 100), at most 100.
// Reached only before the last block, so size exceeds one block.
std::intptr_t Percent(std::uint64_t done, std::uint64_t size) {
  const std::uint64_t step = size / 100;
  return step == 0 ? 100 : static_cast<std::intptr_t>(std::min<std::uint64_t>(100, done / step));
}

std::optional<std::uint8_t> EntryFromIndexText(std::u16string_view text) {
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F) return std::nullopt;
    ascii.push_back(static_cast<char>(c));
  }
  return playerlink::EntryNumberFromIndex(ascii);
}

}  // namespace

TDNFileThread::TDNFileThread(playerlink::Driver& driver, std::shared_ptr<platform::MessageTarget> window,
                             std::u16string source, std::u16string name, std::uint32_t message, int mode)
    : window_(std::move(window)), source_(std::move(source)), name_(std::move(name)), message_(message), mode_(mode),
      link_(driver) {}

TDNFileThread::TDNFileThread(playerlink::Driver& driver, platform::MessageTarget& window, std::u16string source,
                             std::u16string name, std::uint32_t message, int mode)
    : TDNFileThread(driver, std::shared_ptr<platform::MessageTarget>(std::shared_ptr<void>(), &window),
                    std::move(source), std::move(name), message, mode) {}

bool TDNFileThread::OpenLink() {
  for (int waited = 0;; waited += kBusyRetryMs) {
    const auto opened = link_.Open();
    if (!opened.busy) return opened.control;
    if (waited >= kBusyWaitMs) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kBusyRetryMs));
  }
}

bool TDNFileThread::Start(std::unique_ptr<TDNFileThread> thread) {
  try {
    std::thread([t = std::move(thread)]() mutable {
      t->Execute();
      t.reset();
    }).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void TDNFileThread::Report(std::uintptr_t what, std::intptr_t value) {
  if (window_) window_->Send(message_, what, value);
}

void TDNFileThread::Execute() {
  if (mode_ != kModeWrite && mode_ != kModeRead) return;
  const bool done = mode_ == kModeWrite ? WriteToPlayer() : ReadFromPlayer();
  link_.Close();
  Report(done ? kReportDone : kReportFailed, 0);
}

bool TDNFileThread::WriteToPlayer() {
  if (!OpenLink()) return false;
  auto file = common::File::OpenFile(common::Path(source_), common::File::Open::kRead);
  if (!file) return false;
  const auto sizeResult = file->Size();
  if (!sizeResult || *sizeResult > playerlink::kMaxFileSize) return false;
  const std::uint64_t size = *sizeResult;
  const auto name = playerlink::FitHeaderName(name_, playerlink::header::kShortNameUnits);
  if (!name) return false;
  const std::uint64_t blocks = playerlink::FileBlockCount(size);

  const auto answer = link_.Command(kInternalMemoryBase, CommandCode::kBeginWrite,
                                    static_cast<std::uint32_t>(blocks), kMode4);
  if (answer.result <= size) return false;  // no room, or no answer

  Block block = playerlink::BuildFileHeader(static_cast<std::uint32_t>(size), *name, playerlink::NameEnd::kZeroUnit);
  if (!link_.WriteBlock(block)) return false;

  std::uint64_t done = 0;
  for (std::uint64_t i = 1; i < blocks; ++i) {
    const bool last = done + kBlockSize >= size;
    const auto want = static_cast<std::size_t>(last ? size - done : kBlockSize);
    // A file that shrank while it is sent fails rather than sending stale bytes.
    const auto got = file->ReadFull(std::span(block).first(want));
    if (!got || *got != want) return false;
    std::fill(block.begin() + static_cast<std::ptrdiff_t>(want), block.end(), std::uint8_t{0});
    if (!link_.WriteBlock(block)) return false;
    if (last) return true;
    done += kBlockSize;
    Report(kReportProgress, Percent(done, size));
  }
  return true;  // an empty file: its header block is the whole transfer
}

bool TDNFileThread::ReadFromPlayer() {
  const auto entry = EntryFromIndexText(source_);
  if (!entry) return false;
  if (!OpenLink()) return false;
  if (!link_.Command(kInternalMemoryBase, CommandCode::kEntryBlock, 1, kMode4).ok()) return false;
  Block block = playerlink::BuildSelectionBlock(*entry);
  if (!link_.WriteBlock(block)) return false;

  if (!link_.Command(kInternalMemoryBase, CommandCode::kReadEntry, 1, kMode4).ok()) return false;
  if (!link_.ReadBlock(block)) return false;
  const auto first = playerlink::ParseFileHeader(block);
  if (!first) return false;  // no entry there: an erased block

  auto out = common::AtomicFileWriter::Begin(common::Path(name_));
  if (!out) return false;
  const std::uint64_t size = first->size;
  const std::uint64_t blocks = playerlink::FileBlockCount(size);
  if (!link_.Command(kInternalMemoryBase, CommandCode::kReadEntry, static_cast<std::uint32_t>(blocks), kMode4).ok()) {
    return false;
  }
  if (!link_.ReadBlock(block)) return false;
  const auto again = playerlink::ParseFileHeader(block);
  if (!again || again->size != first->size || again->name != first->name) return false;

  std::uint64_t done = 0;
  for (std::uint64_t i = 1; i < blocks; ++i) {
    if (!link_.ReadBlock(block)) return false;
    const bool last = done + kBlockSize >= size;
    const auto keep = static_cast<std::size_t>(last ? size - done : kBlockSize);
    if (!out->Write(std::span(block).first(keep))) return false;
    if (last) break;
    done += kBlockSize;
    Report(kReportProgress, Percent(done, size));
  }
  return out->Commit().ok();
}

}  // namespace orvel
