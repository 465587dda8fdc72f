// Time from a change of a ticket setting to the preview's miniature redrawn, for a 50-line
// ticket with a 448 x 400 logo and a CODE-128 barcode on 60 mm paper: the record is
// written, the coalescing timer runs, the ticket is composed and drawn by the virtual
// printer, and the miniature is painted. Prints the median and spread over the runs.
//
//   build/release/bin/qw77_preview_bench [runs]
#include <stdlib.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "bench/BenchSupport.h"
#include "form/FrmMenu.h"
#include "frontend/TicketPreview.h"
#include "protocol/LogoBlock.h"

namespace {

using qw77::bench::BenchSystem;
using qw77::bench::Logo448x400;

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 41;

  std::string pattern = (std::filesystem::temp_directory_path() / "qw77-preview-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::fprintf(stderr, "no temporary directory\n");
    return 1;
  }
  const std::filesystem::path dir = pattern;
  const auto logo = Logo448x400();
  std::ofstream(dir / std::string(qw77::LogoFileName(0)), std::ios::binary)
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

  qw77::frontend::PreviewPane pane(frm, nullptr);
  pane.resize(288, 160);
  pane.show();
  QCoreApplication::processEvents();
  if (!pane.Picture()) {
    std::fprintf(stderr, "no ticket: %s\n", pane.Message().toUtf8().constData());
    return 1;
  }

  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const int before = pane.Redraws();
    const auto start = std::chrono::steady_clock::now();
    w.SetText(qw77::ControlId::kTxtXScale, i % 2 == 0 ? "2" : "1");
    while (pane.Redraws() == before) QCoreApplication::processEvents();
    pane.repaint();  // paints at once, as the next frame would
    const auto end = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("preview redraw, 50 lines + 448x400 logo + barcode (%zu bytes, %d x %d dots)\n",
              pane.Picture()->byte_count, pane.Picture()->image.width(),
              pane.Picture()->image.height());
  std::printf("runs %d  median %.2f ms  min %.2f ms  p90 %.2f ms  max %.2f ms\n", runs,
              ms[ms.size() / 2], ms.front(), ms[ms.size() * 9 / 10], ms.back());
  std::filesystem::remove_all(dir);
  return 0;
}
