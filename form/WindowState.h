// A window's controls as plain data: what each control shows and holds, addressed by
// name (and index for control arrays). No window system here: a front end observes the
// changes and redraws, and turns the operator's gestures into calls on this record.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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
  std::string name;
  int index = -1;  // element of a control array, -1 for a plain control
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

  // Builds the record from its inventory, in the given order. Keys must be unique.
  void Add(Control control);

  bool Has(std::string_view name, int index = -1) const;
  const Control& Get(std::string_view name, int index = -1) const;
  const std::vector<Control>& Controls() const { return controls_; }

  // Observers see every change after it happened; nothing is reported when a write
  // leaves a field as it was.
  void Observe(Observer observer);
  // Raised once per real change of a scroll bar's value, by the program or the operator.
  void OnScrollChange(ScrollHandler handler);

  // --- fields by kind -----------------------------------------------------------------
  const std::string& Caption(std::string_view name, int index = -1) const;
  void SetCaption(std::string_view name, std::string caption, int index = -1);
  const std::string& ToolTip(std::string_view name, int index = -1) const;
  void SetToolTip(std::string_view name, std::string tool_tip, int index = -1);

  bool Enabled(std::string_view name, int index = -1) const;
  void SetEnabled(std::string_view name, bool enabled, int index = -1);

  bool Visible(std::string_view name, int index = -1) const;
  void SetVisible(std::string_view name, bool visible, int index = -1);

  // Option buttons: selecting one clears the others of its group.
  bool Selected(std::string_view name, int index = -1) const;
  void Select(std::string_view name, int index = -1);

  // Check boxes: 0 cleared, 1 checked.
  int Value(std::string_view name, int index = -1) const;
  void SetValue(std::string_view name, int value, int index = -1);

  // Text boxes and the combo box (UTF-8). A text box never holds more characters than its
  // maximum length; SetText cuts a longer text.
  const std::string& Text(std::string_view name, int index = -1) const;
  void SetText(std::string_view name, std::string text, int index = -1);
  int MaxLength(std::string_view name) const;
  void SetMaxLength(std::string_view name, int max_length);

  // Scroll bars: 16-bit values, minimum <= value <= maximum. A value outside the range is
  // brought into it. A range change that moves the value raises value-changed too.
  int ScrollValue(std::string_view name) const;
  void SetScrollValue(std::string_view name, int value);
  int ScrollMinimum(std::string_view name) const;
  int ScrollMaximum(std::string_view name) const;
  void SetScrollMaximum(std::string_view name, int maximum);
  void SetScrollMinimum(std::string_view name, int minimum);

  // Combo box: selected index into items; the text follows the selection.
  int ListIndex(std::string_view name) const;
  void SetListIndex(std::string_view name, int index);

  const std::string& Picture(std::string_view name) const;
  void SetPicture(std::string_view name, std::string picture);

  // The control that holds the keyboard focus ("" for none). Front ends write it before
  // they run the focus handlers; the program's own selections never move it.
  const std::string& Focused() const { return focused_; }
  void SetFocused(std::string key);

  // The options of one group, in inventory order.
  std::vector<std::string> GroupMembers(std::string_view group) const;

 private:
  Control& At(std::string_view name, int index);
  void Notify(const Control& control, Field field);
  void ChangeScrollValue(Control& bar, int value);

  std::vector<Control> controls_;
  std::unordered_map<std::string, std::size_t> by_key_;
  std::vector<Observer> observers_;
  std::vector<ScrollHandler> scroll_handlers_;
  std::string focused_;
};

}  // namespace qw77
