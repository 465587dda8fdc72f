#include "frontend/PrinterTools.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTime>
#include <QVBoxLayout>

#include "form/FrmMenu.h"
#include "frontend/MainWindow.h"
#include "frontend/TicketPicture.h"
#include "frontend/ToolsPages.h"
#include "jobs/WindowJobs.h"

namespace qw77::frontend {
namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// The question before an NV write, with the picture that would be written where there is one.
// Cancel is the default: Enter alone never writes.
bool AskNvWrite(QWidget* parent, const QString& what, const QImage* picture) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("ConfirmNvWrite"));
  dialog.setWindowTitle(QStringLiteral("Write to the printer's memory?"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* text = new QLabel(
      what + QStringLiteral("\n\nThis writes the printer's non-volatile memory. Printers count "
                            "these writes and the memory wears with each one."));
  text->setObjectName(QStringLiteral("Question"));
  text->setWordWrap(true);
  layout->addWidget(text);
  if (picture != nullptr && !picture->isNull()) {
    auto* shown = new QLabel;
    shown->setObjectName(QStringLiteral("Picture"));
    shown->setPixmap(QPixmap::fromImage(*picture));
    auto* scroll = new QScrollArea;
    scroll->setWidget(shown);
    scroll->setAlignment(Qt::AlignCenter);
    scroll->setMinimumSize(qMin(picture->width(), 600) + 24, qMin(picture->height(), 400) + 24);
    layout->addWidget(scroll, 1);
  }
  auto* buttons = new QDialogButtonBox;
  QPushButton* write = buttons->addButton(QStringLiteral("&Write"), QDialogButtonBox::AcceptRole);
  QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
  write->setAutoDefault(false);
  cancel->setDefault(true);
  cancel->setFocus();
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace

PrinterToolsWindow::PrinterToolsWindow(FrmMenu& frm, MainWindow& main)
    : QWidget(&main, Qt::Window), frm_(frm), main_(main) {
  setObjectName(QStringLiteral("PrinterTools"));
  setWindowTitle(QStringLiteral("Printer tools"));
  setAttribute(Qt::WA_DeleteOnClose, false);  // kept, so that F6 brings the same one back

  target_ = new QLabel;
  target_->setObjectName(QStringLiteral("Target"));
  target_->setWordWrap(true);
  target_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  pages_ = new QTabWidget;
  pages_->setObjectName(QStringLiteral("Pages"));
  AddToolsPages(*pages_, *this);
  progress_ = new QProgressBar;
  progress_->setObjectName(QStringLiteral("Progress"));
  progress_->setVisible(false);
  log_ = new QPlainTextEdit;
  log_->setObjectName(QStringLiteral("ToolsLog"));
  log_->setReadOnly(true);
  log_->setMaximumBlockCount(2000);  // a long session keeps its latest answers
  log_->setMinimumHeight(110);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(target_);
  layout->addWidget(pages_, 1);
  layout->addWidget(progress_);
  layout->addWidget(new QLabel(QStringLiteral("Answers and errors:")));
  layout->addWidget(log_);
  resize(sizeHint().expandedTo(QSize(640, 600)));
}

void PrinterToolsWindow::Open() {
  RefreshTarget();
  if (!placed_) {
    // The first time beside the main window where the screen has room, so that neither
    // hides the other; afterwards where the operator left it.
    placed_ = true;
    const QRect owner = main_.frameGeometry();
    const QScreen* screen = main_.screen();
    const QSize own = frameSize().expandedTo(size());
    for (const QPoint at :
         {owner.topRight() + QPoint(8, 0), owner.topLeft() - QPoint(own.width() + 8, 0)}) {
      if (screen != nullptr && screen->availableGeometry().contains(QRect(at, own))) {
        move(at);
        break;
      }
    }
  }
  show();
  raise();
  activateWindow();
}

void PrinterToolsWindow::RefreshTarget() {
  target_->setText(QStringLiteral("Port: ") + Q(DescribeToolsTarget(frm_)));
}

QString PrinterToolsWindow::TargetText() const {
  return target_->text();
}

QString PrinterToolsWindow::LogText() const {
  return log_->toPlainText();
}

void PrinterToolsWindow::Tell(const QString& line, bool failure) {
  log_->appendPlainText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss ")) +
                        (failure ? QStringLiteral("Failed: ") : QString()) + line);
}

int PrinterToolsWindow::PaperDots() const {
  return frm_.State().Selected(ControlId::kOptMech80) ? kPrintableDots80mm : kPrintableDots60mm;
}

bool PrinterToolsWindow::ConfirmNvWrite(const QString& what, const QImage* picture) {
  const bool yes = AskNvWrite(this, what, picture);
  if (!yes) Tell(what + QStringLiteral(" Cancelled: nothing was written."));
  return yes;
}

bool PrinterToolsWindow::Run(const QString& what, const ToolsJob& job) {
  if (running_) return false;  // the pages are disabled meanwhile; a queued click lands here
  RefreshTarget();
  if (JobRefused(frm_)) {
    Tell(what + QStringLiteral(": a job of the main window is under way; try again when it "
                               "has finished."),
         true);
    return false;
  }
  const Result<ToolsTarget> target = SelectedToolsTarget(frm_);
  if (!target) {
    Tell(what + QStringLiteral(": ") + Q(target.status().message()), true);
    return false;
  }
  Tell(what + QStringLiteral(" on ") + Q(target->port.name) + QStringLiteral(" at ") +
       Q(target->settings) + QStringLiteral(":"));
  ToolReport report;
  running_ = true;
  pages_->setEnabled(false);
  ShowProgress(0, 0);
  {
    // The job may let the windows take events while it sends: the main window's jobs stay
    // out meanwhile and its closing waits for this one.
    JobBusyMark busy(frm_);
    main_.RunHeld([&] {
      report = job(target->port, [this](std::size_t done, std::size_t total) {
        ShowProgress(done, total);
        QCoreApplication::processEvents();
      });
    });
  }
  pages_->setEnabled(true);
  running_ = false;
  for (const std::string& line : report.messages) Tell(QStringLiteral("  ") + Q(line));
  if (!report.ok()) Tell(what + QStringLiteral(" did not succeed."), true);
  if (close_pending_) {
    close_pending_ = false;
    close();
  }
  return report.ok();
}

void PrinterToolsWindow::ShowProgress(std::size_t done, std::size_t total) {
  // The bar shows only for a job that sends enough to report its progress, and keeps the
  // last transfer's figure until the next job starts.
  progress_->setVisible(total != 0);
  if (total == 0) return;
  // The bar counts in thousandths: a byte count may pass what an int holds.
  progress_->setRange(0, 1000);
  progress_->setValue(static_cast<int>(done * 1000 / total));
  progress_->setFormat(QStringLiteral("%1 of %2 bytes sent").arg(done).arg(total));
}

void PrinterToolsWindow::changeEvent(QEvent* event) {
  // The main window's selection may have changed while this one was in the background.
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !running_) RefreshTarget();
  QWidget::changeEvent(event);
}

void PrinterToolsWindow::closeEvent(QCloseEvent* event) {
  if (running_) {
    // A transfer under way finishes first; the window closes when it has.
    close_pending_ = true;
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace qw77::frontend
