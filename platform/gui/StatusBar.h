// A status bar of panels side by side, each with a text, a width and an
// alignment; a panel of width -1 takes the rest of the bar. A bar without
// panels shows one text across its whole width.
#pragma once

#include <string>
#include <vector>

#include "platform/gui/Control.h"

namespace gui {

struct StatusPanel {
  std::string text;
  int width = 50;
  Align alignment = Align::kLeft;
  bool operator==(const StatusPanel&) const = default;
};

class StatusBar : public Control {
 public:
  explicit StatusBar(Control* parent) : Control(parent, Kind::kStatusBar) {}

  int PanelCount() const { return static_cast<int>(panels_.size()); }
  const std::vector<StatusPanel>& Panels() const { return panels_; }
  // Index checked: out of range throws std::out_of_range.
  const StatusPanel& Panel(int index) const;
  int AddPanel(StatusPanel panel);
  void SetPanels(std::vector<StatusPanel> panels);
  void SetPanelText(int index, std::string text);
  void SetPanelWidth(int index, int width);
  void SetPanelAlignment(int index, Align alignment);

  // The text of a bar without panels.
  const std::string& SimpleText() const { return simpleText_; }
  void SetSimpleText(std::string text);

 private:
  StatusPanel& At(int index);
  std::vector<StatusPanel> panels_;
  std::string simpleText_;
};

}  // namespace gui
