// The qw77 executable's own command line. Options it does not know are left in order for
// QApplication, which takes its own (-platform, -display, ...).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/Status.h"
#include "platform/Endpoint.h"

namespace qw77 {

struct AppOptions {
  std::map<PortName, std::string> port_specs;  // --com1 SPEC .. --lpt2 SPEC, not yet checked
  bool list_ports = false;
  bool version = false;
  bool help = false;
  std::string help_text;  // the usage text, set when help is asked for
  // The program name, then every argument that is not one of the above, in order.
  std::vector<std::string> remaining;
};

// `args` as main() got them, the program name first. Bad usage (a missing value, a value
// for a flag, an option given twice) gives kInvalidArgument with the parser's message.
// `footer` ends the usage text (the environment and files the program reads).
Result<AppOptions> ParseAppOptions(const std::vector<std::string>& args,
                                   const std::string& footer = {});
Result<AppOptions> ParseAppOptions(int argc, const char* const* argv,
                                   const std::string& footer = {});

}  // namespace qw77
