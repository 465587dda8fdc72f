#include "form/About.h"

#include "form/FrmMenu.h"
#include "platform/WindowServices.h"

namespace qw77 {

void Form_Load(FrmAbout& about) {
  about.lblVersion = "Versión " + std::to_string(kVersionMajor) + "." +
                     std::to_string(kVersionMinor) + "." + std::to_string(kVersionRevision);
  about.lblTitle = std::string(kAppTitle);
}

void CommandAbout_Click(FrmMenu& frm) {
  frm.Svc().window->ShowAboutModal();
}

}  // namespace qw77
