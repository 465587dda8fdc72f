// Helpers shared by the printer job tests: button states at a glance, the spool file, and
// the byte sequences the jobs put on a line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "jobs/SerialJobs.h"
#include "jobs/WindowJobs.h"
#include "tests/fakes/TestRig.h"
#include "transport/SystemNames.h"

namespace qw77::testing {

using Bytes = std::vector<std::uint8_t>;

// CmdRestore, CmdSettings, CmdPrint, CmdAutotest, CmdCheck: a letter when enabled, '-' when not.
inline std::string Buttons(TestRig& rig) {
  const char* names[] = {"CmdRestore", "CmdSettings", "CmdPrint", "CmdAutotest", "CmdCheck"};
  std::string out;
  for (const char* name : names) out += rig.state().Enabled(name) ? name[3] : '-';
  return out;
}

// ChkHead, ChkVp, ChkCutter, ChkBM, ChkTemp, ChkHard, ChkPNEnd as digits.
inline std::string CheckBoxes(TestRig& rig) {
  const char* names[] = {"ChkHead", "ChkVp",   "ChkCutter", "ChkBM",
                         "ChkTemp", "ChkHard", "ChkPNEnd"};
  std::string out;
  for (const char* name : names) out += static_cast<char>('0' + rig.state().Value(name));
  return out;
}

inline bool SpoolExists() {
  return std::filesystem::exists("tempo.txt");
}

inline Bytes ReadSpool() {
  std::ifstream in("tempo.txt", std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteSpool(const Bytes& bytes) {
  std::ofstream out("tempo.txt", std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// Whether a started process is the job's clean-up of tempo.txt, as this system's build
// words it ("sh -c 'rm -f tempo.txt'", "cmd /c del /f /q \"tempo.txt\"").
inline bool DeletesSpool(const FakeSystem::Process& p) {
  return p.argv.size() == 3 && p.argv[1] == RunOneCommandSwitch() &&
         p.argv[2] == RemoveFileCommand("tempo.txt");
}

// Makes the shell's delete command act on the real file, keeping what the file held.
struct SpoolDeleter {
  Bytes deleted;
  int runs = 0;
  void Arm(TestRig& rig) {
    rig.system.on_start = [this](FakeSystem::Process& p) {
      if (DeletesSpool(p)) {
        ++runs;
        deleted = ReadSpool();
        std::filesystem::remove("tempo.txt");
      }
    };
  }
};

// The probe alone, run for the window: its end, with what it tells drawn.
inline JobEnd ProbeInWindow(FrmMenu& frm) {
  return RunInWindow(frm,
                     [](const JobInputs& in, JobRun& run) {
                       return JobReport{OpenSerialPort(in, run), 0};
                     })
      .end;
}

inline const Bytes kProbe = {0x0D, 0x10, 0x04, 0x01, 0x0D};
inline const Bytes kRequest[5] = {{},
                                  {0x0D, 0x10, 0x04, 0x01, 0x0D},
                                  {0x10, 0x04, 0x02, 0x0D},
                                  {0x10, 0x04, 0x03, 0x0D},
                                  {0x10, 0x04, 0x04, 0x0D}};

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace qw77::testing
