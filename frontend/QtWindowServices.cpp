#include "frontend/QtWindowServices.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "form/About.h"
#include "frontend/AboutDialog.h"

namespace qw77::frontend {
namespace {

QString Q(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

void QtWindowServices::MsgBox(std::string_view text, MessageIcon icon, std::string_view title) {
  MsgBoxDetailed(text, {}, icon, title);
}

void QtWindowServices::MsgBoxDetailed(std::string_view text, std::string_view detail,
                                      MessageIcon icon, std::string_view title) {
  QMessageBox box(icon == MessageIcon::kCritical ? QMessageBox::Critical : QMessageBox::NoIcon,
                  Q(title.empty() ? kAppTitle : title), Q(text), QMessageBox::Ok, window_);
  box.setObjectName(QStringLiteral("MsgBox"));
  box.setTextFormat(Qt::PlainText);  // the texts are the program's own, never markup
  if (!detail.empty()) box.setDetailedText(Q(detail));
  box.exec();
}

void QtWindowServices::DoEvents() {
  QCoreApplication::processEvents();
}

void QtWindowServices::SetMainWindowEnabled(bool enabled) {
  if (window_ != nullptr) window_->SetWholeWindowEnabled(enabled);
}

void QtWindowServices::ShowAboutModal() {
  // Created on every opening and gone when it closes: it keeps nothing between openings.
  FrmAbout about;
  Form_Load(about);
  AboutDialog dialog(about, window_);
  if (window_ != nullptr) {
    // Centred over the main window, by its final size.
    dialog.adjustSize();
    const QRect owner = window_->frameGeometry();
    dialog.move(owner.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
  }
  dialog.exec();
}

void QtWindowServices::CloseMainWindow() {
  if (window_ != nullptr) window_->close();
}

void QtWindowServices::EndProgram() {
  if (window_ != nullptr) {
    window_->EndProgram();
  } else {
    QCoreApplication::exit(0);
  }
}

}  // namespace qw77::frontend
