// What each request of the page and its JSON API gets, apart from the HTTP library: a
// reply with a status, a type, and a body or a file of the ticket folder to send.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "vprinter/endpoints/web/EventStream.h"
#include "vprinter/endpoints/web/TicketHistory.h"
#include "vprinter/printer/StatusModel.h"

namespace qw77::vprinter::web {

struct Request {
  std::string method;  // "GET", "PUT", ...
  std::string path;    // as sent, without the query
  std::string query;   // after '?', "" when none
  std::string body;
};

struct Reply {
  int status = 200;
  std::string type = "application/json";
  std::string body;
  std::string file;     // when not empty: send this file of the ticket folder as the body
  bool events = false;  // the event stream: the endpoint serves it
};

// The switches of the printer's panel, by the names of the command-line options: the
// conditions its status reports and the faults that act on every interface's replies.
std::vector<std::string> SwitchNames();
// The flag a switch sets in the printer's status model, or nullptr for no such switch.
bool* SwitchField(StatusModel& model, std::string_view name);

// What the routes need from the printer; the endpoint carries the calls to its thread.
struct PrinterControl {
  std::function<std::string()> state;  // the panel as JSON
  // Sets switches by name; "" when done, else why not (the names were checked before).
  std::function<std::string(const std::map<std::string, bool>&)> set_switches;
};

// The longest request body taken (a conditions object is a few hundred bytes).
inline constexpr std::size_t kMaxBodyBytes = 16 * 1024;

class WebApi {
 public:
  WebApi(TicketHistory& history, EventStream& events, PrinterControl control)
      : history_(history), events_(events), control_(std::move(control)) {}

  Reply Handle(const Request& request);

 private:
  Reply Ticket(const Request& r, std::string_view rest);
  Reply SetConditions(const Request& r);

  TicketHistory& history_;
  EventStream& events_;
  PrinterControl control_;
};

// Whether a Host header names this machine's loopback ("127.0.0.1:8080", "localhost",
// "[::1]:8080"). A page served on loopback answers only to such names, so that a web site
// whose name is made to point at 127.0.0.1 cannot drive the printer from a browser.
bool IsLoopbackHost(std::string_view host_header);

// The page's files, compiled into the program: "" when there is no such file.
std::string_view PageFile(std::string_view name);

}  // namespace qw77::vprinter::web
