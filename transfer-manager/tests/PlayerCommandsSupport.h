// What the tests of the player commands share: a started transfer manager
// over the simulated player, the commands the player received, the
// entries it holds, and selections made as the user makes them.
#pragma once

#include <string>
#include <vector>

#include "common/TextCodec.h"
#include "transfer-manager/modFunctions.h"
#include "transfer-manager/tests/HalvernTestSupport.h"

namespace halvern::testing {

class PlayerCommandsTest : public HalvernTest {
 protected:
  using MediumId = playerlink::sim::MediumId;

  // The command codes the player received since the last call (base taken
  // off), with their arguments.
  struct Sent {
    unsigned code;
    std::uint32_t argument;
    std::uint8_t mode;
  };
  std::vector<Sent> TakeCommands() {
    std::vector<Sent> out;
    for (const auto& e : player->TakeEvents()) {
      if (e.kind != playerlink::sim::Event::Kind::kCommand) continue;
      const unsigned byte = e.request.commandByte;
      const unsigned base = byte >= playerlink::kInternalMemoryBase ? playerlink::kInternalMemoryBase
                                                                     : playerlink::kCardBase;
      out.push_back({byte - base, e.request.argument, e.request.mode});
    }
    return out;
  }
  static std::vector<unsigned> Codes(const std::vector<Sent>& sent) {
    std::vector<unsigned> out;
    for (const auto& s : sent) out.push_back(s.code);
    return out;
  }
  static int CountOf(const std::vector<Sent>& sent, unsigned code) {
    int n = 0;
    for (const auto& s : sent) n += s.code == code;
    return n;
  }

  // The file-name parts of the entries on a medium, in entry order.
  std::vector<std::string> Names(MediumId medium = MediumId::kInternal) {
    std::vector<std::string> out;
    for (const auto& e : player->Entries(medium)) {
      const auto h = playerlink::ParseFileHeader(e.header);
      out.push_back(h ? *common::Utf16ToUtf8(playerlink::FileNamePart(h->name)) : "?");
    }
    return out;
  }
  void StoreNamed(MediumId medium, const std::vector<std::string>& names, std::size_t bytes = 100) {
    for (const auto& n : names) StoreOnPlayer(medium, *common::Utf8ToUtf16("C:\\Music\\" + n), bytes);
  }

  static void SelectOnly(gui::ListView& list, std::initializer_list<int> rows) {
    for (int i = 0; i < list.Count(); ++i) {
      if (list.Item(i).selected) {
        ASSERT_TRUE(list.UserSetSelected(i, false));
      }
    }
    for (int r : rows) ASSERT_TRUE(list.UserSetSelected(r, true));
  }

  // Every message box is answered by `answer` for texts that start with a
  // key (kEnter: the box's default button), else with the first button;
  // the texts shown are kept.
  static constexpr gui::ModalResult kEnter = gui::ModalResult::kNone;
  void Answer(std::vector<std::pair<std::string, gui::ModalResult>> answers) {
    backend().SetMessageBoxScript([answers](const gui::MessageBoxRequest& box) {
      for (const auto& [start, result] : answers) {
        if (box.text.rfind(start, 0) == 0) {
          return result == kEnter ? gui::ButtonResult(box.buttons, box.defaultButton) : result;
        }
      }
      return box.buttons == gui::Buttons::kRetryCancel ? gui::ModalResult::kRetry : gui::ModalResult::kOk;
    });
  }

  std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> out(n);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& b : out) {
      x = x * 1103515245u + 12345u;
      b = static_cast<std::uint8_t>(x >> 16);
    }
    return out;
  }
  void WritePc(const std::string& name, const std::vector<std::uint8_t>& data) {
    ASSERT_TRUE(common::WriteFileAtomically(Pc(name), data));
  }
};

}  // namespace halvern::testing
