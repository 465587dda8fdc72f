// What every printer job shares: the five command buttons that carry the job state and
// the rule that keeps a second job out while one is under way.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace qw77 {

class FrmMenu;

// Enables or disables the named buttons in the order given (observers see that order).
void SetButtonsEnabled(FrmMenu& frm, std::initializer_list<std::string_view> names, bool enabled);

// True when a click on a job button must be declined: a job is under way (JobBusy), or the
// program is ending after a refused hardware access. A parallel transfer lets the window
// process clicks between bytes; a second job started from such a click would interleave
// its bytes with the running one or rewrite tempo.txt under it, and waiting for the first
// job inside the click handler would deadlock it (that job only goes on once the handler
// has returned). So the click is dropped: the operator sees the running job finish and
// its buttons come back, and clicks again if still wanted.
bool JobRefused(const FrmMenu& frm);

// Marks a job under way for its lifetime: JobBusy is 1 inside, 0 afterwards.
class JobBusyMark {
 public:
  explicit JobBusyMark(FrmMenu& frm);
  ~JobBusyMark();
  JobBusyMark(const JobBusyMark&) = delete;
  JobBusyMark& operator=(const JobBusyMark&) = delete;

 private:
  FrmMenu& frm_;
};

}  // namespace qw77
