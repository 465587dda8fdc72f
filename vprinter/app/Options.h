// The command line of qw77-vprinter.
#pragma once

#include <string>
#include <vector>

#include "vprinter/endpoints/SerialEndpoint.h"
#include "vprinter/endpoints/TcpEndpoint.h"
#include "vprinter/paper/Status.h"
#include "vprinter/printer/Printer.h"
#include "vprinter/printer/StatusModel.h"

namespace qw77::vprinter {

struct CommandLine {
  bool help = false;
  bool serial = true;
  SerialOptions serial_options;
  std::string parallel_socket;  // empty: no parallel interface
  std::string tcp_host = "127.0.0.1";
  int tcp_port = -1;                        // -1: no TCP interface; 0: a free port
  int tcp_idle_s = kDefaultTcpIdleSeconds;  // a TCP connection silent this long is closed
  std::string http_host = "127.0.0.1";
  int http_port = -1;       // -1: no web view; 0: a free port
  std::string render_file;  // print this file's bytes and exit
  std::string out_dir = "vprinter-tickets";
  std::string log_path;
  bool quiet = false;
  int paper_dots = 448;
  int code_page = kDefaultCodePage;
  std::string model_name;     // empty: the printer's own
  std::string firmware;       // empty: the printer's own
  std::string serial_number;  // empty: the printer's own
  std::string state_path;     // empty: NV memory lasts for the run
  Millis idle_ms = 2000;
  Conditions conditions;
  Faults faults;
};

Result<CommandLine> ParseCommandLine(const std::vector<std::string>& args);
std::string UsageText();

}  // namespace qw77::vprinter
