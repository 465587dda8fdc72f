// Register-level access to a parallel port: the base address from the BIOS data area,
// single I/O-port reads and writes, and the strobe of one byte. Addresses and values pass
// as hexadecimal text (upper case, no prefix, no leading zeros: "378", "CD", "0").
//
// A refused access is fatal: the operator sees "Hardware port error", the main window is
// closed (which releases the port access) and frm.program_ending is set; from then on every
// call here returns at once without touching the hardware, and callers stop their loops.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qw77 {

class FrmMenu;

// Hexadecimal text of a value, as the port operations exchange it.
std::string HexText(std::uint32_t value);
// Reads a hexadecimal text; nullopt for an empty text, a non-hex digit or more than 32 bits.
std::optional<std::uint32_t> ParseHexText(std::string_view text);

// The data, status and control register addresses of LPT`port` (1 or 2) from the BIOS data
// area words at 408h and 40Ah. False when the port has no base address (the texts are then
// "0", "1", "2"); any other port number reads nothing and gives base 0.
bool LptBaseAddress(FrmMenu& frm, int port, std::string& data, std::string& status,
                    std::string& control);

// The byte on an I/O port in the low 8 bits; 0 after a refused access.
std::uint32_t PortRead(FrmMenu& frm, std::string_view address);
// Puts the low byte of `value` on an I/O port.
void PortWrite(FrmMenu& frm, std::string_view address, std::string_view value);
// The 32-bit little-endian word at a physical address; 0 after a refused access.
std::uint32_t PhysRead(FrmMenu& frm, std::string_view address);
// The byte to the data register, then the strobe asserted (CD) and released (CC) on the
// control register, back to back; the printer latches the byte on the strobe.
void StrobeByte(FrmMenu& frm, std::string_view data, std::string_view control, std::uint32_t value);

}  // namespace qw77
