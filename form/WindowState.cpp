#include "form/WindowState.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

namespace qw77 {

std::string ControlKey(std::string_view name, int index) {
  std::string key(name);
  if (index >= 0) key += "(" + std::to_string(index) + ")";
  return key;
}

std::size_t Utf8PrefixBytes(std::string_view text, std::size_t characters) {
  // The maximum length counts characters, as the operator sees them; a UTF-8 character
  // is one lead byte followed by continuation bytes (10xxxxxx).
  std::size_t i = 0;
  for (std::size_t seen = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && seen++ == characters) break;
  }
  return i;
}

std::string Control::Key() const {
  return ControlKey(name, index);
}

void WindowState::Add(Control control) {
  control.name = std::string(ControlName(control.id));
  std::string key = control.Key();
  if (by_key_.count(key) != 0) throw std::logic_error("duplicate control " + key);
  by_key_.emplace(std::move(key), controls_.size());
  controls_.push_back(std::move(control));
}

bool WindowState::Has(Ctl control, int index) const {
  return by_key_.count(ControlKey(control.name(), index)) != 0;
}

const Control& WindowState::Get(Ctl control, int index) const {
  auto it = by_key_.find(ControlKey(control.name(), index));
  if (it == by_key_.end())
    throw std::out_of_range("no control " + ControlKey(control.name(), index));
  return controls_[it->second];
}

const Control* WindowState::Find(std::string_view key) const {
  auto it = by_key_.find(std::string(key));
  return it == by_key_.end() ? nullptr : &controls_[it->second];
}

Control& WindowState::At(Ctl control, int index) {
  return const_cast<Control&>(std::as_const(*this).Get(control, index));
}

void WindowState::Observe(Observer observer) {
  observers_.push_back(std::move(observer));
}

void WindowState::OnScrollChange(ScrollHandler handler) {
  scroll_handlers_.push_back(std::move(handler));
}

void WindowState::Notify(const Control& control, Field field) {
  for (const auto& observer : observers_) observer(control, field);
}

const std::string& WindowState::Caption(Ctl control, int index) const {
  return Get(control, index).caption;
}

void WindowState::SetCaption(Ctl control, std::string caption, int index) {
  Control& c = At(control, index);
  if (c.caption == caption) return;
  c.caption = std::move(caption);
  Notify(c, Field::kCaption);
}

const std::string& WindowState::ToolTip(Ctl control, int index) const {
  return Get(control, index).tool_tip;
}

void WindowState::SetToolTip(Ctl control, std::string tool_tip, int index) {
  Control& c = At(control, index);
  if (c.tool_tip == tool_tip) return;
  c.tool_tip = std::move(tool_tip);
  Notify(c, Field::kToolTip);
}

bool WindowState::Enabled(Ctl control, int index) const {
  return Get(control, index).enabled;
}

void WindowState::SetEnabled(Ctl control, bool enabled, int index) {
  Control& c = At(control, index);
  if (c.enabled == enabled) return;
  c.enabled = enabled;
  Notify(c, Field::kEnabled);
}

bool WindowState::Visible(Ctl control, int index) const {
  return Get(control, index).visible;
}

void WindowState::SetVisible(Ctl control, bool visible, int index) {
  Control& c = At(control, index);
  if (c.visible == visible) return;
  c.visible = visible;
  Notify(c, Field::kVisible);
}

bool WindowState::Selected(Ctl control, int index) const {
  return Get(control, index).selected;
}

void WindowState::Select(Ctl control, int index) {
  Control& chosen = At(control, index);
  if (chosen.kind != ControlKind::kOptionButton) {
    throw std::logic_error(chosen.Key() + " is not an option button");
  }
  // Clear the others first so that observers never see two options of a group selected.
  for (Control& c : controls_) {
    if (&c != &chosen && c.kind == ControlKind::kOptionButton && c.group == chosen.group &&
        c.selected) {
      c.selected = false;
      Notify(c, Field::kSelected);
    }
  }
  if (!chosen.selected) {
    chosen.selected = true;
    Notify(chosen, Field::kSelected);
  }
}

int WindowState::Value(Ctl control, int index) const {
  return Get(control, index).value;
}

void WindowState::SetValue(Ctl control, int value, int index) {
  Control& c = At(control, index);
  if (c.kind == ControlKind::kScrollBar) {
    ChangeScrollValue(c, value);
    return;
  }
  if (c.value == value) return;
  c.value = value;
  Notify(c, Field::kValue);
}

const std::string& WindowState::Text(Ctl control, int index) const {
  return Get(control, index).text;
}

void WindowState::SetText(Ctl control, std::string text, int index) {
  Control& c = At(control, index);
  if (c.kind == ControlKind::kTextBox && c.max_length > 0) {
    text.resize(Utf8PrefixBytes(text, static_cast<std::size_t>(c.max_length)));
  }
  if (c.text == text) return;
  c.text = std::move(text);
  Notify(c, Field::kText);
}

int WindowState::MaxLength(Ctl control) const {
  return Get(control).max_length;
}

void WindowState::SetMaxLength(Ctl control, int max_length) {
  Control& c = At(control, -1);
  if (c.max_length == max_length) return;
  c.max_length = max_length;
  Notify(c, Field::kMaxLength);
}

namespace {
int ClampInt16(int v) {
  return std::clamp(v, static_cast<int>(std::numeric_limits<std::int16_t>::min()),
                    static_cast<int>(std::numeric_limits<std::int16_t>::max()));
}
}  // namespace

void WindowState::ChangeScrollValue(Control& bar, int value) {
  value = std::clamp(ClampInt16(value), bar.minimum, bar.maximum);
  if (bar.value == value) return;
  bar.value = value;
  Notify(bar, Field::kValue);
  for (const auto& handler : scroll_handlers_) handler(bar);
}

int WindowState::ScrollValue(Ctl control) const {
  return Get(control).value;
}

void WindowState::SetScrollValue(Ctl control, int value) {
  ChangeScrollValue(At(control, -1), value);
}

int WindowState::ScrollMinimum(Ctl control) const {
  return Get(control).minimum;
}
int WindowState::ScrollMaximum(Ctl control) const {
  return Get(control).maximum;
}

void WindowState::SetScrollMaximum(Ctl control, int maximum) {
  Control& bar = At(control, -1);
  maximum = ClampInt16(maximum);
  if (bar.maximum != maximum) {
    bar.maximum = maximum;
    if (bar.minimum > maximum) bar.minimum = maximum;
    Notify(bar, Field::kMaximum);
  }
  ChangeScrollValue(bar, bar.value);  // a lower maximum pulls the value with it
}

void WindowState::SetScrollMinimum(Ctl control, int minimum) {
  Control& bar = At(control, -1);
  minimum = ClampInt16(minimum);
  if (bar.minimum != minimum) {
    bar.minimum = minimum;
    if (bar.maximum < minimum) bar.maximum = minimum;
    Notify(bar, Field::kMinimum);
  }
  ChangeScrollValue(bar, bar.value);
}

int WindowState::ListIndex(Ctl control) const {
  return Get(control).list_index;
}

void WindowState::SetListIndex(Ctl control, int index) {
  Control& c = At(control, -1);
  if (index < -1 || index >= static_cast<int>(c.items.size())) {
    throw std::out_of_range("list index out of range for " + c.Key());
  }
  if (c.list_index != index) {
    c.list_index = index;
    Notify(c, Field::kListIndex);
  }
  std::string text = index >= 0 ? c.items[static_cast<std::size_t>(index)] : std::string();
  if (c.text != text) {
    c.text = std::move(text);
    Notify(c, Field::kText);
  }
}

const std::string& WindowState::Picture(Ctl control) const {
  return Get(control).picture;
}

void WindowState::SetPicture(Ctl control, std::string picture) {
  Control& c = At(control, -1);
  if (c.picture == picture) return;
  c.picture = std::move(picture);
  Notify(c, Field::kPicture);
}

void WindowState::SetFocused(std::string key) {
  if (focused_ == key) return;
  focused_ = std::move(key);
  if (!focused_.empty() && by_key_.count(focused_) != 0) {
    Notify(controls_[by_key_.at(focused_)], Field::kFocus);
  }
}

std::vector<std::string> WindowState::GroupMembers(std::string_view group) const {
  std::vector<std::string> keys;
  for (const Control& c : controls_) {
    if (c.kind == ControlKind::kOptionButton && c.group == group) keys.push_back(c.Key());
  }
  return keys;
}

}  // namespace qw77
