#include "form/StartUp.h"

#include <iostream>
#include <string>

#include "form/ComPorts.h"
#include "form/FrmMenu.h"

namespace qw77 {
namespace {

// Opens LPT1, then LPT2; the first that cannot be opened stops the start-up, named in the
// cause.
Status OpenParallelLinks(const Services& svc) {
  static constexpr std::array<const char*, 2> kNames = {"LPT1", "LPT2"};
  for (std::size_t i = 0; i < svc.parallel.size(); ++i) {
    if (svc.parallel[i] == nullptr) continue;
    if (Status opened = svc.parallel[i]->Open(); !opened.ok()) {
      return {opened.code(), std::string(kNames[i]) + ": " + opened.message()};
    }
  }
  return Status::Ok();
}

}  // namespace

bool Form_Load(FrmMenu& frm) {
  Services& svc = frm.Svc();
  WindowState& state = frm.State();

  state.SetPicture(ControlId::kImgLogo, std::string(kLogoResource));

  for (int n = 1; n <= 3; ++n) {
    SerialLink& port = frm.MSComm(n);
    if (port.IsOpen()) (void)port.Close();
  }

  if (const Status opened = OpenParallelLinks(svc); !opened.ok()) {
    // The operator sees the one fixed message; whoever reads the log learns the cause.
    std::cerr << "qw77: port access: " << opened.message() << '\n';
    frm.program_ending = true;
    svc.window->MsgBox(kHardwareAccessMessage, MessageIcon::kCritical, kHardwareErrorTitle);
    svc.window->CloseMainWindow();
    return false;
  }

  // The ports' numbers themselves are the wiring's: it opens each link by them.
  for (const DeviceAlias& alias : NumberComPorts(svc.system->Family()).aliases) {
    (void)svc.system->DefineDeviceAlias(alias);
  }

  state.SetListIndex(ControlId::kCombo1, 0);
  state.SetMaxLength(ControlId::kTxtBarCode, 12);
  return true;
}

void Form_Unload(FrmMenu& frm) {
  // A parallel transfer that yields to the window may still be on the stack when the
  // window closes; marking the end first makes it stop instead of touching a port access
  // that is being shut down.
  frm.program_ending = true;
  for (ParallelLink* link : frm.Svc().parallel) {
    if (link != nullptr) link->Close();
  }
}

void CmdExit_Click(FrmMenu& frm) {
  frm.Svc().window->EndProgram();
}

void ShowPortEndpoints(WindowState& state, const std::array<std::string, 5>& endpoints) {
  static constexpr std::array<ControlId, 5> kOptions = {ControlId::kOptCOM0, ControlId::kOptCOM1,
                                                        ControlId::kOptCOM2, ControlId::kOptLPT1,
                                                        ControlId::kOptLPT2};
  for (std::size_t i = 0; i < kOptions.size(); ++i) {
    // The inventory's own tip stays first; the endpoint goes on a line of its own, replacing
    // the one shown before.
    const std::string& shown = state.ToolTip(kOptions[i]);
    state.SetToolTip(kOptions[i], shown.substr(0, shown.find('\n')) + "\n" + endpoints[i]);
  }
}

}  // namespace qw77
