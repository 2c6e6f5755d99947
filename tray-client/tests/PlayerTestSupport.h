// The tray client's forms on the headless backend with the in-process
// simulated player: storing files on it, reading back its entries, PC
// files in the test's folder, and the message boxes shown.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/File.h"
#include "common/TextCodec.h"
#include "player-link/SimulatedPlayer.h"
#include "tray-client/tests/OrvelTestSupport.h"

namespace orvel::testing {

class PlayerFormTest : public OrvelTest {
 protected:
  using MediumId = playerlink::sim::MediumId;

  explicit PlayerFormTest(playerlink::sim::PlayerSettings settings = {})
      : player_(std::make_shared<playerlink::sim::SimulatedPlayer>(settings)), driver_(player_) {
    std::filesystem::create_directories(Pc());
  }

  playerlink::sim::SimulatedPlayer& player() { return *player_; }
  playerlink::sim::SimulatedDriver& driver() { return driver_; }

  // A file on the player as a PC would have written it under `name` (a
  // full path or a bare name), `size` bytes of a pattern that starts at `seed`.
  void StoreOnPlayer(const std::string& name, std::size_t size, std::uint8_t seed = 1) {
    ASSERT_TRUE(player_->Store(MediumId::kInternal, *common::Utf8ToUtf16(name), Pattern(size, seed)).ok());
  }
  // The same, added as one more entry even when an entry has that name.
  void AddToPlayer(const std::string& name, std::size_t size, std::uint8_t seed = 1) {
    const auto header = playerlink::BuildFileHeader(static_cast<std::uint32_t>(size), *common::Utf8ToUtf16(name),
                                                    playerlink::NameEnd::kZeroUnit);
    ASSERT_TRUE(player_->StoreWithHeader(MediumId::kInternal, header, Pattern(size, seed)).ok());
  }
  static std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 251);
    return bytes;
  }

  // The file-name parts of the player's entries, in entry order.
  std::vector<std::string> PlayerNames() {
    std::vector<std::string> names;
    for (const auto& e : player_->Entries(MediumId::kInternal)) {
      const auto header = playerlink::ParseFileHeader(e.header);
      names.push_back(header ? *common::Utf16ToUtf8(playerlink::FileNamePart(header->name)) : "?");
    }
    return names;
  }
  std::vector<std::uint8_t> PlayerData(std::size_t index) {
    auto data = player_->EntryData(MediumId::kInternal, index);
    return data ? *data : std::vector<std::uint8_t>{};
  }

  // The test's PC folder, and files in it.
  std::filesystem::path Pc() const { return root() / "pc"; }
  std::string PcFile(const std::string& name, std::size_t size, std::uint8_t seed = 1) {
    const auto path = Pc() / common::PathFromUtf8(name);
    std::filesystem::create_directories(path.parent_path());
    const auto bytes = Pattern(size, seed);
    EXPECT_TRUE(common::WriteFileAtomically(path, bytes).ok());
    return common::PathToUtf8(path);
  }
  std::vector<std::uint8_t> ReadPc(const std::filesystem::path& path) {
    auto text = common::ReadWholeFile(path, 64u << 20);
    return text ? std::vector<std::uint8_t>(text->begin(), text->end()) : std::vector<std::uint8_t>{};
  }
  std::vector<std::string> PcNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      names.push_back(common::PathToUtf8(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (const auto& box : backend().MessageBoxes()) texts.push_back(box.request.text);
    return texts;
  }

 private:
  std::shared_ptr<playerlink::sim::SimulatedPlayer> player_;
  playerlink::sim::SimulatedDriver driver_;
};

}  // namespace orvel::testing
