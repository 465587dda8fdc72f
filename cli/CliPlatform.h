// What the shell front end needs of the machine. The executable wires in the real services;
// the tests wire in fakes, so every path of the front end runs without a printer.
#pragma once

#include <ostream>
#include <string>

#include "platform/Clock.h"
#include "platform/PortAccess.h"
#include "platform/SerialLink.h"
#include "platform/System.h"

namespace qw77::cli {

class CliPlatform {
 public:
  virtual ~CliPlatform() = default;

  // MSComm1..MSComm3 by number 1..3; shared by the runs on several ports in turn (every job
  // leaves its port closed).
  virtual SerialLink& Serial(int number) = 0;
  // The parallel port access; asked for only by a run on LPT1 or LPT2, so that a run on a
  // serial port never depends on parallel hardware.
  virtual PortAccess& ParallelAccess() = 0;
  virtual System& Sys() = 0;
  virtual Clock& Time() = 0;

  // Where a port leads, for the report: the device COM<n> opens, or the parallel port
  // access in use for LPT<n>.
  virtual std::string SerialEndpoint(int number) = 0;
  virtual std::string ParallelEndpoint(int number) = 0;

  // Whether the settings that bind the port (environment, ports file) were taken: a run
  // checks only the ports it uses, so that a bad setting of another port stops nobody.
  virtual Status BindingOf(bool parallel, int number) {
    (void)parallel;
    (void)number;
    return Status::Ok();
  }

  // Whether standard error is a terminal, where a progress line may be redrawn.
  virtual bool ErrIsTerminal() { return false; }

  // The port map and the devices found, as `qw77 --list-ports` prints them; false (having
  // said why on `err`) when the map cannot be read.
  virtual bool ListPorts(std::ostream& out, std::ostream& err) {
    (void)out;
    err << "qw77-cli: this build lists no ports\n";
    return false;
  }
};

}  // namespace qw77::cli
