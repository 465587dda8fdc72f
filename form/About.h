// The About window's contents, as plain data the front end draws.
#pragma once

#include <string>

#include "qw77/Project.h"  // kVersionMajor, kVersionMinor, kVersionRevision, from CMake

namespace qw77 {

class FrmMenu;

struct FrmAbout {
  std::string Caption = "About ";
  std::string lblTitle;
  std::string lblVersion;
  std::string lblDescription = "This program show the abilities of RX's and MQ's  printers.";
  std::string lblDisclaimer = " ";
  std::string cmdOK = "Accept";
};

// Fills the title and the version ("Versión 2.0.0", in UTF-8).
void Form_Load(FrmAbout& about);

// Shows the About window modally; returns when it has closed.
void CommandAbout_Click(FrmMenu& frm);

}  // namespace qw77
