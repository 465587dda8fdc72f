// How long one full sample ticket takes to compose: 50 lines of the longest sample text,
// the widest logo 60 mm paper takes (448 x 400 dots) and a CODE-128 barcode. Measured both
// in memory and end to end (logo file read, tempo.txt written and renamed into place).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "form/FrmMenu.h"
#include "jobs/SampleTicketJob.h"
#include "protocol/Ticket.h"

namespace {

using qw77::bench::BenchSystem;
using qw77::bench::Logo448x400;

qw77::SampleTicketSettings BigTicket() {
  qw77::SampleTicketSettings s;
  s.lines = "50";
  s.sample_text = "ZN740 sample ticket 12345";  // 25 characters, the box's limit
  s.logo_wanted = true;
  s.barcode_wanted = true;
  s.barcode_type = 3;
  s.barcode_data = "123456789012";
  return s;
}

void BM_ComposeSampleTicket(benchmark::State& state) {
  const auto logo = Logo448x400();
  const auto settings = BigTicket();
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto out = qw77::ComposeSampleTicket(settings, logo);
    if (!out.ok()) state.SkipWithError(out.status().message().c_str());
    bytes = out->size();
    benchmark::DoNotOptimize(out->data());
  }
  state.counters["ticket_bytes"] = static_cast<double>(bytes);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ComposeSampleTicket)->Unit(benchmark::kMicrosecond);

void BM_BuildSampleTicketToFile(benchmark::State& state) {
  std::string pattern = (std::filesystem::temp_directory_path() / "qw77-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    state.SkipWithError("no temporary directory");
    return;
  }
  const std::filesystem::path dir = pattern;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  const auto logo = Logo448x400();
  std::ofstream(dir / "SPACE.BMP", std::ios::binary)
      .write(reinterpret_cast<const char*>(logo.data()), static_cast<std::streamsize>(logo.size()));

  BenchSystem system(dir.string());
  qw77::Services services;
  services.system = &system;
  qw77::FrmMenu frm(services);
  qw77::WindowState& w = frm.State();
  w.SetText(qw77::ControlId::kTxtLines, "50");
  w.SetText(qw77::ControlId::kTxtSample, "ZN740 sample ticket 12345");
  w.SetValue(qw77::ControlId::kCheckGraphic, 1);
  w.SetValue(qw77::ControlId::kChkBarCode, 1);
  w.SetListIndex(qw77::ControlId::kCombo1, 3);
  w.SetText(qw77::ControlId::kTxtBarCode, "123456789012");
  for (auto _ : state) {
    qw77::Status st = qw77::BuildSampleTicket(frm);
    if (!st.ok()) state.SkipWithError(st.message().c_str());
  }
  std::filesystem::current_path(previous);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_BuildSampleTicketToFile)->Unit(benchmark::kMicrosecond);

}  // namespace
