#include "transfer-manager/modOrder.h"

#include <cstdio>

#include "platform/gui/Application.h"
#include "transfer-manager/Texts.h"
#include "transfer-manager/modCommon.h"
#include "transfer-manager/modDevice.h"
#include "transfer-manager/modDownload.h"
#include "transfer-manager/modFunctions.h"
#include "transfer-manager/modVariables.h"

namespace halvern {

using gui::ModalResult;
using playerlink::CommandCode;

namespace {

constexpr const char* kNoReorder = "This player cannot change the order of its files !!!";
constexpr const char* kListStale = "The file list does not match the player, it is read again !!!";

std::string ThreeDigits(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%03d", n);
  return text;
}

// The rows in the new order, renumbered as the player numbers its entries
// after the reorder.
void ShowNewOrder(gui::ListView& list, int from, int to) {
  std::vector<gui::ListItem> rows = list.Items();
  gui::ListItem moved = std::move(rows[static_cast<std::size_t>(from)]);
  rows.erase(rows.begin() + from);
  rows.insert(rows.begin() + to, std::move(moved));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    auto& sub = rows[i].subItems;
    if (sub.size() <= column::kSort - 1) sub.resize(column::kSort);
    const std::string number = std::to_string(i + 1);
    sub[column::kFwOrder - 1] = number;
    sub[column::kUserOrder - 1] = number;
    sub[column::kSort - 1] = ThreeDigits(static_cast<int>(i + 1));
  }
  list.SetSorted(false);
  list.SetItems(std::move(rows));
}

// Sends the order block. False after the question (the card's or the
// connection's); then Retry has read the directory again.
bool SendOrder(ShapeForm& form, const std::vector<std::uint8_t>& order) {
  auto& dev = Device();
  auto& app = gui::App();
  const auto fail = [&](bool cardQuestion) {
    gui::ModalResult answer;
    if (cardQuestion) {
      answer = app.MessageBox(text::kNoCard, text::kInformation, gui::Buttons::kRetryCancel, gui::MsgIcon::kWarning);
    } else {
      answer = dev.ShowNotConnected();
    }
    dev.CloseDevice();
    if (answer == ModalResult::kRetry) ReadDeviceDirectory(form);
    return false;
  };
  app.ProcessMessages();
  if (dev.OpenDevice() != 0) return fail(false);
  if (dev.StateQuery() == 0) return fail(Vars().cmdBase == playerlink::kCardBase);
  if (dev.SendCommand(CommandCode::kEntryBlock, 1) == 0) return fail(false);
  const auto block = playerlink::BuildOrderBlock(order);
  if (!block) return fail(false);
  dev.blockBuffer() = *block;
  if (!dev.WriteBlock()) return fail(false);
  return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> MovedOrder(const gui::ListView& list, int from, int to) {
  const int rows = list.Count();
  if (from < 0 || to < 0 || from >= rows || to >= rows) return std::nullopt;
  std::vector<std::uint8_t> order;
  std::vector<bool> seen(static_cast<std::size_t>(rows) + 1, false);
  for (const auto& row : list.Items()) {
    const auto number = playerlink::ParseEntryNumber(gui::ListView::ColumnText(row, column::kFwOrder));
    if (!number || *number > rows || seen[*number]) return std::nullopt;
    seen[*number] = true;
    order.push_back(*number);
  }
  const std::uint8_t moved = order[static_cast<std::size_t>(from)];
  order.erase(order.begin() + from);
  order.insert(order.begin() + to, moved);
  return order;
}

void ReorderEntry(ShapeForm& form, const gui::ListDrag& drag) {
  auto& app = gui::App();
  auto& list = form.lvwGetFileList;
  const auto end = [&] {
    list.SetDropHighlight(-1);
    Device().CloseDevice();
    ClearDragFlags();
  };
  if (Vars().modelCode == kModelZmrA) {
    end();
    app.MessageBox(kNoReorder, text::kInformation, gui::Buttons::kOk, gui::MsgIcon::kInformation);
    return;
  }
  DisableControls(form, false);
  const int target = list.HitTest(drag.at);
  list.SetDropHighlight(target);
  const int from = list.SelectedIndex();
  if (target < 0 || from < 0 || list.SelectedCount() != 1 || target == from) {
    end();
    EnableControls(form);
    return;
  }
  app.Sleep(200);
  const auto order = MovedOrder(list, from, target);
  if (!order || static_cast<int>(order->size()) != Vars().deviceFileCount) {
    // Rows that do not name every entry once: never sent; the player's own
    // list is read instead.
    end();
    app.MessageBox(kListStale, text::kInformation, gui::Buttons::kOk, gui::MsgIcon::kWarning);
    ReadDeviceDirectory(form);
    EnableControls(form);
    return;
  }
  if (!SendOrder(form, *order)) {
    end();
    EnableControls(form);
    return;
  }
  ShowNewOrder(list, from, target);
  end();
  app.Sleep(1000);
  EnableControls(form);
}

}  // namespace halvern
