// The shell front end over fakes of every platform service, run as a command line.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliPlatform.h"
#include "cli/CommandLine.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakePortAccess.h"
#include "tests/fakes/FakeSerialControl.h"
#include "tests/fakes/FakeSystem.h"

namespace qw77::testing {

class CliRig : public cli::CliPlatform {
 public:
  SerialLink& Serial(int number) override { return com(number); }
  PortAccess& ParallelAccess() override {
    ++parallel_asks;
    return ports;
  }
  System& Sys() override { return system; }
  Clock& Time() override { return clock; }
  std::string SerialEndpoint(int number) override { return "/dev/fake" + std::to_string(number); }
  std::string ParallelEndpoint(int number) override { return "fake-lpt" + std::to_string(number); }
  bool ErrIsTerminal() override { return terminal; }

  FakeSerialControl& com(int n) { return n == 1 ? com1 : (n == 2 ? com2 : com3); }

  // Runs "qw77-cli <args>"; what it printed is left in out and err.
  int Run(const std::vector<std::string>& args) {
    std::vector<const char*> argv = {"qw77-cli"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out_stream, err_stream;
    const int code =
        cli::RunCli(static_cast<int>(argv.size()), argv.data(), *this, out_stream, err_stream);
    out = out_stream.str();
    err = err_stream.str();
    return code;
  }

  FakeSerialControl com1{1}, com2{2}, com3{3};
  FakePortAccess ports;
  FakeSystem system;
  FakeClock clock;
  int parallel_asks = 0;
  bool terminal = false;
  std::string out;
  std::string err;
};

}  // namespace qw77::testing
