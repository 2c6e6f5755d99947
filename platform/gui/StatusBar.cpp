#include "platform/gui/StatusBar.h"

#include <stdexcept>

namespace gui {

const StatusPanel& StatusBar::Panel(int index) const {
  if (index < 0 || index >= PanelCount()) {
    throw std::out_of_range("status bar panel index out of bounds (" + std::to_string(index) + ")");
  }
  return panels_[static_cast<std::size_t>(index)];
}

StatusPanel& StatusBar::At(int index) { return const_cast<StatusPanel&>(Panel(index)); }

int StatusBar::AddPanel(StatusPanel panel) {
  panels_.push_back(std::move(panel));
  Notify(Change::kPanels, -1);
  return PanelCount() - 1;
}

void StatusBar::SetPanels(std::vector<StatusPanel> panels) {
  panels_ = std::move(panels);
  Notify(Change::kPanels, -1);
}

void StatusBar::SetPanelText(int index, std::string text) {
  At(index).text = std::move(text);
  Notify(Change::kPanels, index);
}

void StatusBar::SetPanelWidth(int index, int width) {
  At(index).width = width;
  Notify(Change::kPanels, -1);
}

void StatusBar::SetPanelAlignment(int index, Align alignment) {
  At(index).alignment = alignment;
  Notify(Change::kPanels, index);
}

void StatusBar::SetSimpleText(std::string text) {
  simpleText_ = std::move(text);
  Notify(Change::kText);
}

}  // namespace gui
