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

}  // namespace qw77::cli
