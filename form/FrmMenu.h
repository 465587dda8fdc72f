// The main window as the handlers see it: its controls (a WindowState built from the
// inventory below), its member variables and the platform services it works through.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "form/WindowState.h"
#include "platform/Services.h"

namespace qw77 {

class FrmMenu {
 public:
  explicit FrmMenu(Services services);
  FrmMenu(const FrmMenu&) = delete;
  FrmMenu& operator=(const FrmMenu&) = delete;

  WindowState& State() { return state_; }
  const WindowState& State() const { return state_; }
  Services& Svc() { return services_; }

  // MSComm1..MSComm3 by number 1..3.
  SerialLink& MSComm(int number);

  // Focusable controls, first to last (keys as WindowState addresses them).
  static const std::vector<std::string>& TabOrder();

  // Window members; all start at zero or empty.
  std::int16_t LastKeyAscii = 0;
  std::string SerialBaud;
  std::string SerialParity;
  std::int16_t JobBusy = 0;

  // Set once the program has been told to end (a refused hardware access); no port or
  // memory access may follow.
  bool program_ending = false;

 private:
  WindowState state_;
  Services services_;
};

// Builds the controls of the main window with their initial states.
void AddFrmMenuControls(WindowState& state);

}  // namespace qw77
