// The printer tools window, opened with F6: information, the logos in the printer's NV
// memory, its counters, its setup and its own test prints, on the port and line settings
// the main window selects. Every answer and every failure goes into the window's log; a
// page shows the last one beside its controls.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <functional>

#include "frontend/ToolsTarget.h"

class QImage;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QTabWidget;

namespace qw77 {
class FrmMenu;
}

namespace qw77::frontend {

class MainWindow;

// A tool's job on the port: it may report how far a transfer has got, and returns its
// report (a page keeps the typed report it needs through the job's captures).
using ToolsJob = std::function<ToolReport(const ToolPort&, const Progress&)>;

// What a page may ask of the window it sits in.
class ToolsRunner {
 public:
  virtual ~ToolsRunner() = default;
  // Runs `job` on the selected port with the pages held still and the main window's jobs
  // kept out, and puts its messages into the log under `what`. False when it could not
  // start (the log says why) or its report is not a success.
  virtual bool Run(const QString& what, const ToolsJob& job) = 0;
  // Asks before a write to the printer's NV memory, saying what it writes; `picture`, when
  // not null, is shown with the question. True only for an explicit yes.
  virtual bool ConfirmNvWrite(const QString& what, const QImage* picture = nullptr) = 0;
  // A line for the log (a failure is marked as one).
  virtual void Tell(const QString& line, bool failure = false) = 0;
  // The printable width in dots of the paper the main window selects (60 or 80 mm).
  virtual int PaperDots() const = 0;
};

class PrinterToolsWindow : public QWidget, public ToolsRunner {
  Q_OBJECT

 public:
  PrinterToolsWindow(FrmMenu& frm, MainWindow& main);

  // Shows (or raises) the window with the port as the main window selects it now.
  void Open();

  bool Run(const QString& what, const ToolsJob& job) override;
  bool ConfirmNvWrite(const QString& what, const QImage* picture = nullptr) override;
  void Tell(const QString& line, bool failure = false) override;
  int PaperDots() const override;

  bool Running() const { return running_; }
  QString LogText() const;
  QString TargetText() const;

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void RefreshTarget();
  void ShowProgress(std::size_t done, std::size_t total);

  FrmMenu& frm_;
  MainWindow& main_;
  QLabel* target_ = nullptr;
  QTabWidget* pages_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  bool running_ = false;
  bool close_pending_ = false;
  bool placed_ = false;
};

}  // namespace qw77::frontend
