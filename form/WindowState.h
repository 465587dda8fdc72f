// A window's controls as plain data: what each control shows and holds, addressed by
// id (and index for control arrays). No window system here: a front end observes the
// changes and redraws, and turns the operator's gestures into calls on this record.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "form/ControlId.h"

namespace qw77 {

enum class ControlKind {
  kCommandButton,
  kOptionButton,
  kCheckBox,
  kTextBox,
  kLabel,
  kFrame,
  kScrollBar,
  kComboBox,
  kImage,
  kPictureBox,
  kLine,
  kSerialControl,
};

// Which field of a control changed, for observers.
enum class Field {
  kCaption,
  kToolTip,
  kEnabled,
  kVisible,
  kSelected,
  kValue,
  kText,
  kMaxLength,
  kMinimum,
  kMaximum,
  kListIndex,
  kPicture,
  kFocus,
};

struct Control {
  ControlId id = ControlId::kFrmConfig;
  std::string name;  // the id's name, as the window spells it
  int index = -1;    // element of a control array, -1 for a plain control
  ControlKind kind = ControlKind::kLabel;
  std::string parent;  // key of the frame that holds it ("" for the window)
  std::string group;   // option buttons: the group they belong to
  std::string caption;
  std::string tool_tip;
  bool enabled = true;
  bool visible = true;
  bool selected = false;           // option buttons
  int value = 0;                   // check box 0/1; scroll bar value
  int minimum = 0;                 // scroll bar
  int maximum = 0;                 // scroll bar
  std::string text;                // text box, combo box
  int max_length = 0;              // text box: 0 = no limit
  std::vector<std::string> items;  // combo box
  int list_index = -1;             // combo box
  std::string picture;             // image: a resource name

  // "Name" or "Name(i)": how the record addresses it.
  std::string Key() const;
};

std::string ControlKey(std::string_view name, int index = -1);

// Bytes taken by the first `characters` characters of a UTF-8 text.
std::size_t Utf8PrefixBytes(std::string_view text, std::size_t characters);

class WindowState {
 public:
  using Observer = std::function<void(const Control&, Field)>;
  using ScrollHandler = std::function<void(const Control&)>;

  // Builds the record from its inventory, in the given order. Keys must be unique; the name
  // is taken from the id.
  void Add(Control control);

  bool Has(Ctl control, int index = -1) const;
  const Control& Get(Ctl control, int index = -1) const;
  const std::vector<Control>& Controls() const { return controls_; }
  // The control with this key (Option1(2), say), or null: for keys that come from a front end.
  const Control* Find(std::string_view key) const;

  // Observers see every change after it happened; nothing is reported when a write
  // leaves a field as it was.
  void Observe(Observer observer);
  // Raised once per real change of a scroll bar's value, by the program or the operator.
  void OnScrollChange(ScrollHandler handler);

  // --- fields by kind -----------------------------------------------------------------
  const std::string& Caption(Ctl control, int index = -1) const;
  void SetCaption(Ctl control, std::string caption, int index = -1);
  const std::string& ToolTip(Ctl control, int index = -1) const;
  void SetToolTip(Ctl control, std::string tool_tip, int index = -1);

  bool Enabled(Ctl control, int index = -1) const;
  void SetEnabled(Ctl control, bool enabled, int index = -1);

  bool Visible(Ctl control, int index = -1) const;
  void SetVisible(Ctl control, bool visible, int index = -1);

  // Option buttons: selecting one clears the others of its group.
  bool Selected(Ctl control, int index = -1) const;
  void Select(Ctl control, int index = -1);

  // Check boxes: 0 cleared, 1 checked.
  int Value(Ctl control, int index = -1) const;
  void SetValue(Ctl control, int value, int index = -1);

  // Text boxes and the combo box (UTF-8). A text box never holds more characters than its
  // maximum length; SetText cuts a longer text.
  const std::string& Text(Ctl control, int index = -1) const;
  void SetText(Ctl control, std::string text, int index = -1);
  int MaxLength(Ctl control) const;
  void SetMaxLength(Ctl control, int max_length);

  // Scroll bars: 16-bit values, minimum <= value <= maximum. A value outside the range is
  // brought into it. A range change that moves the value raises value-changed too.
  int ScrollValue(Ctl control) const;
  void SetScrollValue(Ctl control, int value);
  int ScrollMinimum(Ctl control) const;
  int ScrollMaximum(Ctl control) const;
  void SetScrollMaximum(Ctl control, int maximum);
  void SetScrollMinimum(Ctl control, int minimum);

  // Combo box: selected index into items; the text follows the selection.
  int ListIndex(Ctl control) const;
  void SetListIndex(Ctl control, int index);

  const std::string& Picture(Ctl control) const;
  void SetPicture(Ctl control, std::string picture);

  // The control that holds the keyboard focus ("" for none). Front ends write it before
  // they run the focus handlers; the program's own selections never move it.
  const std::string& Focused() const { return focused_; }
  void SetFocused(std::string key);
  bool HasFocus(Ctl control, int index = -1) const {
    return focused_ == ControlKey(control.name(), index);
  }

  // The options of one group, in inventory order.
  std::vector<std::string> GroupMembers(std::string_view group) const;

 private:
  Control& At(Ctl control, int index);
  void Notify(const Control& control, Field field);
  void ChangeScrollValue(Control& bar, int value);

  std::vector<Control> controls_;
  std::unordered_map<std::string, std::size_t> by_key_;
  std::vector<Observer> observers_;
  std::vector<ScrollHandler> scroll_handlers_;
  std::string focused_;
};

}  // namespace qw77
