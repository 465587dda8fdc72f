// The live preview of the sample ticket: a miniature in the window's right column and, on
// a click or F5, a window with the ticket at 1:1. Both show what the virtual printer makes
// of the bytes Print would send with the settings in force; neither takes the focus from
// the controls nor runs a handler of the window.
#pragma once

#include <QFrame>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <optional>

#include "frontend/TicketPicture.h"

class QLabel;
class QScrollArea;

namespace qw77 {
class FrmMenu;
}

namespace qw77::frontend {

// The ticket at 1:1 with its size, time on the wire and ways to keep it.
class PreviewWindow : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewWindow(QWidget* parent);

  // Shows a ticket (the baud rate as the record holds it), or why there is none.
  void ShowTicket(const TicketPicture& picture, const std::vector<std::uint8_t>& bytes,
                  const std::string& baud);
  void ShowFailure(const QString& message);

  // Write the shown ticket to `path` whole (a temporary file renamed into place), or say
  // why not; the window's line under the picture tells the same.
  Status SavePng(const QString& path);
  Status SaveBytes(const QString& path);

  const QImage& Image() const { return image_; }
  QString Facts() const;

 private:
  void Report(const Status& status, const QString& what, const QString& path);

  QScrollArea* scroll_ = nullptr;
  QLabel* picture_ = nullptr;
  QLabel* facts_ = nullptr;
  QLabel* outcome_ = nullptr;
  QWidget* save_png_ = nullptr;
  QWidget* save_bytes_ = nullptr;
  QImage image_;
  std::vector<std::uint8_t> bytes_;
};

// The miniature: redrawn (once per burst of changes) whenever the record changes a
// setting the ticket depends on.
class PreviewPane : public QFrame {
  Q_OBJECT

 public:
  PreviewPane(FrmMenu& frm, QWidget* parent);

  QSize sizeHint() const override { return {288, 120}; }
  QSize minimumSizeHint() const override { return sizeHint(); }

  // Opens (or raises) the 1:1 window.
  void OpenWindow();
  PreviewWindow* Window() const { return window_; }

  // What the miniature shows now: a ticket, or the composer's sentence.
  const std::optional<TicketPicture>& Picture() const { return picture_; }
  const QString& Message() const { return message_; }
  int Redraws() const { return redraws_; }
  // Draws anew at once (the timer does it otherwise).
  void Refresh();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  FrmMenu& frm_;
  QTimer timer_;
  std::optional<TicketPicture> picture_;
  std::vector<std::uint8_t> bytes_;
  QString message_;
  QPointer<PreviewWindow> window_;
  int redraws_ = 0;
};

}  // namespace qw77::frontend
