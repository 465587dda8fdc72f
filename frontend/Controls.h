// Widgets that behave as the window's controls must, where Qt's own differ.
#pragma once

#include <QRadioButton>

namespace qw77::frontend {

// An option button that a click anywhere on it selects, its label's empty space included
// (Qt's own takes only clicks on the indicator and the text).
class OptionButton : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;

 protected:
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

}  // namespace qw77::frontend
