// The standalone simulated player's media in a folder, kept across runs:
//
//   DIR/identifier             the player's identifier, 8 hexadecimal digits
//   DIR/internal/order         the entries' keys in entry order, one a line (UTF-8)
//   DIR/internal/files/KEY     a file's bytes, exactly as the PC sent them
//   DIR/internal/headers/KEY   the file header block the PC sent (16384 bytes)
//   DIR/card/...               the same for the card
//
// KEY is the file-name part of the name in the header, made safe for a
// folder ('/', '\', control characters and bad UTF-16 become '_'), with "~2",
// "~3" ... before the extension when another entry has it already. Every
// file is written beside its place and renamed over it when complete.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/File.h"
#include "player-link/SimulatedPlayer.h"

namespace playersim {

using playerlink::sim::MediumId;

// The keys of an order file; lines that cannot be keys are passed over.
std::vector<std::string> ParseOrderFile(std::string_view text);
// The folder-safe key for a file-name part.
std::string KeyForName(std::u16string_view name);

class FolderStorage : public playerlink::sim::MediaStorage {
 public:
  explicit FolderStorage(common::Path root) : root_(std::move(root)) {}

  // Creates the folders; fails when they cannot be made.
  common::Result<void> Prepare();
  // The identifier kept in DIR/identifier, or `fallback` (then kept there).
  common::Result<std::uint32_t> Identifier(std::uint32_t fallback);
  common::Result<void> SetIdentifier(std::uint32_t identifier);

  common::Result<std::vector<playerlink::sim::StoredEntry>> Load(MediumId medium) override;
  common::Result<std::unique_ptr<Incoming>> Receive(MediumId medium, std::u16string_view fileName,
                                                    const std::string* replacing, std::string& key) override;
  common::Result<std::size_t> ReadData(MediumId medium, const std::string& key, std::uint64_t offset,
                                       std::span<std::uint8_t> out) override;
  common::Result<void> Remove(MediumId medium, const std::string& key) override;
  common::Result<void> SaveOrder(MediumId medium, const std::vector<playerlink::sim::StoredEntry>& entries) override;

  common::Path FilePath(MediumId medium, const std::string& key) const;
  common::Path HeaderPath(MediumId medium, const std::string& key) const;

 private:
  common::Path MediumDir(MediumId medium) const;

  common::Path root_;
  // The file last read, kept open for the blocks that follow.
  common::Path openPath_;
  common::File open_;
};

}  // namespace playersim
