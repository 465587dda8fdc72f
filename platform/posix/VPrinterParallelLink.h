// A parallel link to the virtual printer's parallel interface over its Unix-domain socket
// instead of a real port. The socket carries the port's three registers: each request is
// op ('R' or 'W'), register (0 data, 1 status, 2 control), value; each answer one byte.
#pragma once

#include <memory>
#include <string>

#include "platform/ParallelLink.h"

namespace qw77 {

// Open connects to `socket_path` and fails when nothing listens there.
std::unique_ptr<ParallelLink> MakeVPrinterLink(std::string socket_path);

}  // namespace qw77
