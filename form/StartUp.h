// Loading and closing the main window, and the Exit button.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qw77 {

class FrmMenu;
class WindowState;

// The picture resource the front end shows in ImgLogo.
inline constexpr std::string_view kLogoResource = "logo";
inline constexpr std::string_view kHardwareAccessMessage = "Problemas de acceso al hardware";
inline constexpr std::string_view kHardwareErrorTitle = "ZOZozoDozi32";

// Puts in the logo, closes the serial ports, starts port access, defines the serial device
// aliases of the system family that needs them (NumberComPorts) and sets the barcode
// defaults. False when port access could not start: the
// operator has been told and the window closed, so it must not open.
bool Form_Load(FrmMenu& frm);
// Ends each port option's tool-tip with the endpoint it reaches, in the order COM1, COM2,
// COM3, LPT1, LPT2 ("COM1 - /dev/ttyUSB0, USB-serial 0403:6001 FTDI FT232R").
void ShowPortEndpoints(WindowState& state, const std::array<std::string, 5>& endpoints);

// The window closes: port access is shut down.
void Form_Unload(FrmMenu& frm);
// Ends the program at once, without Form_Unload.
void CmdExit_Click(FrmMenu& frm);

}  // namespace qw77
