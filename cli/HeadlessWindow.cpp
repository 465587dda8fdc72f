#include "cli/HeadlessWindow.h"

#include <utility>

namespace qw77::cli {

namespace {

constexpr std::string_view kSerialHeading = "Serial port error: ";
constexpr std::string_view kNetworkHeading = "Network printer error: ";

// The details on one line: their paragraphs joined by a space.
std::string OneLine(std::string_view detail) {
  std::string line;
  for (char c : detail) {
    if (c != '\n') {
      line += c;
    } else if (!line.empty() && line.back() != ' ') {
      line += ' ';
    }
  }
  return line;
}

}  // namespace

HeadlessWindowServices::HeadlessWindowServices(std::ostream& err, std::string origin, bool network)
    : err_(err), origin_(std::move(origin)), network_(network) {}

void HeadlessWindowServices::MsgBox(std::string_view text, MessageIcon /*icon*/,
                                    std::string_view title) {
  if (network_ && text.starts_with(kSerialHeading)) {
    const std::string headed =
        std::string(kNetworkHeading) + std::string(text.substr(kSerialHeading.size()));
    messages_.push_back(headed);
    err_ << "qw77-cli: " << origin_ << ": " << headed << std::endl;
    return;
  }
  messages_.emplace_back(text);
  err_ << "qw77-cli: " << origin_ << ": ";
  // A box's own title says where the message comes from; the application's title does not.
  if (!title.empty() && title != kAppTitle) err_ << title << ": ";
  err_ << text << std::endl;
}

void HeadlessWindowServices::MsgBoxDetailed(std::string_view text, std::string_view detail,
                                            MessageIcon icon, std::string_view title) {
  // The serial port's two boxes, over a network link, are the cause they carry.
  if (network_ && !detail.empty() &&
      (text == "ERROR on serial PORT configuration" || text == "Error on serial PORT selection")) {
    MsgBox(std::string(kSerialHeading) + OneLine(detail), icon, title);
    return;
  }
  // The box of a printer that did not answer says why where the port knows (a one-way
  // interface, bytes that are no status): the shell's line says it too.
  if (text == "ERROR on serial PORT configuration" && !detail.empty()) {
    MsgBox(std::string(text) + ": " + OneLine(detail), icon, title);
    return;
  }
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
