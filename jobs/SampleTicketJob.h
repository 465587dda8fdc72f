// The sample ticket from the window: its settings read from the controls, the logo file
// found beside the program, the bytes composed and written to the spool file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Status.h"
#include "protocol/Ticket.h"

namespace qw77 {

class FrmMenu;
class System;
class WindowState;

// The settings the window's controls show (texts as shown).
SampleTicketSettings ReadSampleTicketSettings(const WindowState& state);

// The selected index of the Option1 array (2 when none of the first two is selected).
int SelectedLogoOption(const WindowState& state);

// The full path of the chosen logo: the program's directory (the current one when no
// system service is bound) and the file name.
std::string LogoPath(System* system, int option_index);
std::string LogoPath(FrmMenu& frm, int option_index);

// The bytes of the ticket the settings make, composed in memory with the chosen logo file
// (found through `system`, which may be null); on failure the message starts "The sample
// ticket cannot be printed." and gives the cause. Shows nothing.
Result<std::vector<std::uint8_t>> ComposeTicket(const SampleTicketSettings& settings,
                                                System* system);
// The same for the settings the window's controls show.
Result<std::vector<std::uint8_t>> ComposeWindowTicket(FrmMenu& frm);

// Where the chosen logo is read from: LogoPath when anything is there (so a build tree's
// own logos, and a broken file beside the program, are never passed over); otherwise the
// same name in the system's installed data folder when that is there. kNotFound when it
// is in neither place, naming both (or only the first, when there is no data folder).
Result<std::string> FindLogo(System* system, int option_index);
Result<std::string> FindLogo(FrmMenu& frm, int option_index);

// Composes the ticket from the settings and writes it to the spool file. Either the file afterwards
// holds exactly the new ticket, or the result says why not and any earlier tempo.txt is left as it
// was (the new stream is written to a temporary file beside it and renamed into place). Shows
// nothing and never yields; the caller tells the operator: the message starts "The sample ticket
// cannot be printed." and gives the cause.
Status BuildSampleTicket(const SampleTicketSettings& settings, System* system,
                         const std::string& spool_file);
// The same for the window's controls and its spool file.
Status BuildSampleTicket(FrmMenu& frm);

}  // namespace qw77
