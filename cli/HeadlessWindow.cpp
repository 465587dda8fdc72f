#include "cli/HeadlessWindow.h"

#include <utility>

namespace qw77::cli {

HeadlessWindowServices::HeadlessWindowServices(std::ostream& err, std::string origin)
    : err_(err), origin_(std::move(origin)) {}

void HeadlessWindowServices::MsgBox(std::string_view text, MessageIcon /*icon*/,
                                    std::string_view title) {
  messages_.emplace_back(text);
  err_ << "qw77-cli: " << origin_ << ": ";
  // A box's own title says where the message comes from; the application's title does not.
  if (!title.empty() && title != kAppTitle) err_ << title << ": ";
  err_ << text << std::endl;
}

void HeadlessWindowServices::MsgBoxDetailed(std::string_view text, std::string_view detail,
                                            MessageIcon icon, std::string_view title) {
  MsgBox(text, icon, title);
  std::string_view rest = detail;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    err_ << "  " << rest.substr(0, end) << '\n';
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  err_.flush();
}

}  // namespace qw77::cli
