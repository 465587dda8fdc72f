// The window services of a run without a window: message boxes become lines on standard
// error (and are kept for the report), everything else has nothing to act on.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/ParallelLink.h"
#include "platform/WindowServices.h"

namespace qw77::cli {

class HeadlessWindowServices : public WindowServices {
 public:
  // `origin` names the run in every line ("COM1", "compose"). Over a network link
  // (`network`) a failure is headed with the link's own kind, and a box that says the serial
  // port is wrong says the cause its details give instead; the window keeps its texts.
  HeadlessWindowServices(std::ostream& err, std::string origin, bool network = false);

  // Written at once, so that a message is seen even if the run then hangs up or is killed.
  void MsgBox(std::string_view text, MessageIcon icon, std::string_view title) override;
  // The cause follows the message, indented, on standard error only.
  void MsgBoxDetailed(std::string_view text, std::string_view detail, MessageIcon icon,
                      std::string_view title) override;
  // No events to process: a parallel transfer's wait between bytes simply goes on.
  void DoEvents() override {}
  void SetMainWindowEnabled(bool) override {}
  void ShowAboutModal() override {}
  // A refused hardware access closes the window; the run ends with it.
  void CloseMainWindow() override { closed_ = true; }
  void EndProgram() override { closed_ = true; }

  const std::vector<std::string>& Messages() const { return messages_; }
  bool Closed() const { return closed_; }

 private:
  std::ostream& err_;
  std::string origin_;
  bool network_ = false;
  std::vector<std::string> messages_;
  bool closed_ = false;
};

// The parallel links of a run on a serial port. Start-up always succeeds, since there is no
// parallel hardware to prepare; the port is absent, and every access is refused, which a
// serial job never makes. A serial run thus neither needs nor touches a parallel port.
class NoParallelLink : public NoParallelPort {
 public:
  NoParallelLink() : NoParallelPort("a run on a serial port has no parallel port", false) {}
};

}  // namespace qw77::cli
