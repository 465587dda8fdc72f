#include "frontend/TicketPreview.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QVBoxLayout>
#include <functional>

#include "form/FrmMenu.h"
#include "jobs/SampleTicketJob.h"

namespace qw77::frontend {
namespace {

// The fields that can change the ticket: texts, check boxes, options (the paper width
// among them) and the barcode type. Captions, focus and enabling change nothing printed.
bool ChangesTicket(Field field) {
  return field == Field::kText || field == Field::kValue || field == Field::kSelected ||
         field == Field::kListIndex;
}

int PrintableDots(const FrmMenu& frm) {
  return frm.State().Selected(ControlId::kOptMech80) ? kPrintableDots80mm : kPrintableDots60mm;
}

// Writes through a temporary file renamed into place: the file is whole or untouched.
Status WriteWhole(const QString& path, const std::function<bool(QSaveFile&)>& write) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    return {ErrorCode::kIo, "It cannot be opened: " + file.errorString().toStdString()};
  }
  if (!write(file)) {
    const QString why = file.errorString();
    file.cancelWriting();
    return {ErrorCode::kIo, "Writing failed: " + why.toStdString()};
  }
  if (!file.commit()) {
    return {ErrorCode::kIo, "It could not be completed: " + file.errorString().toStdString()};
  }
  return Status::Ok();
}

}  // namespace

PreviewWindow::PreviewWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("TicketPreview"));
  setWindowTitle(QStringLiteral("Ticket preview (1:1)"));
  setAttribute(Qt::WA_DeleteOnClose, false);  // kept, so that F5 brings the same one back

  picture_ = new QLabel;
  picture_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  picture_->setWordWrap(true);
  scroll_ = new QScrollArea;
  scroll_->setWidget(picture_);
  scroll_->setWidgetResizable(true);
  scroll_->setAlignment(Qt::AlignHCenter);

  facts_ = new QLabel;
  facts_->setObjectName(QStringLiteral("Facts"));
  outcome_ = new QLabel;
  outcome_->setObjectName(QStringLiteral("Outcome"));
  outcome_->setWordWrap(true);
  auto* png = new QPushButton(QStringLiteral("Save as PNG…"));
  auto* raw = new QPushButton(QStringLiteral("Save bytes…"));
  save_png_ = png;
  save_bytes_ = raw;
  connect(png, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save as PNG"),
                                                      QStringLiteral("ticket.png"),
                                                      QStringLiteral("PNG pictures (*.png)"));
    if (!path.isEmpty()) (void)SavePng(path);
  });
  connect(raw, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save bytes"),
                                                      QStringLiteral("ticket.bin"));
    if (!path.isEmpty()) (void)SaveBytes(path);
  });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(facts_, 1);
  buttons->addWidget(png);
  buttons->addWidget(raw);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(scroll_, 1);
  layout->addLayout(buttons);
  layout->addWidget(outcome_);
  // The 80 mm roll at 1:1 with room for the scroll bar; tall enough to read a ticket.
  resize(640 + 60, 720);
}

void PreviewWindow::ShowTicket(const TicketPicture& picture, const std::vector<std::uint8_t>& bytes,
                               const std::string& baud) {
  image_ = picture.image;
  bytes_ = bytes;
  picture_->setPixmap(QPixmap::fromImage(image_));
  QString facts = QStringLiteral("%1 bytes · on the wire: %2")
                      .arg(QLocale::c().toString(static_cast<qulonglong>(bytes.size())),
                           WireTime(bytes.size(), baud));
  if (picture.cut_short()) {
    facts += QStringLiteral(" · first %1 of %2 dots shown")
                 .arg(image_.height())
                 .arg(picture.rows_printed);
  }
  facts_->setText(facts);
  save_png_->setEnabled(true);
  save_bytes_->setEnabled(true);
}

void PreviewWindow::ShowFailure(const QString& message) {
  image_ = QImage();
  bytes_.clear();
  picture_->setText(message);
  facts_->setText(QString());
  save_png_->setEnabled(false);
  save_bytes_->setEnabled(false);
}

QString PreviewWindow::Facts() const {
  return facts_->text();
}

Status PreviewWindow::SavePng(const QString& path) {
  Status status = image_.isNull() ? Status(ErrorCode::kInvalidArgument, "There is no ticket.")
                                  : WriteWhole(path, [this](QSaveFile& file) {
                                      QImageWriter writer(&file, "png");
                                      return writer.write(image_);
                                    });
  Report(status, QStringLiteral("picture"), path);
  return status;
}

Status PreviewWindow::SaveBytes(const QString& path) {
  Status status = bytes_.empty() ? Status(ErrorCode::kInvalidArgument, "There is no ticket.")
                                 : WriteWhole(path, [this](QSaveFile& file) {
                                     const auto size = static_cast<qint64>(bytes_.size());
                                     return file.write(reinterpret_cast<const char*>(bytes_.data()),
                                                       size) == size;
                                   });
  Report(status, QStringLiteral("bytes"), path);
  return status;
}

void PreviewWindow::Report(const Status& status, const QString& what, const QString& path) {
  outcome_->setText(status.ok() ? QStringLiteral("Saved the %1 to %2.").arg(what, path)
                                : QStringLiteral("The %1 could not be saved to %2. %3")
                                      .arg(what, path, QString::fromStdString(status.message())));
}

PreviewPane::PreviewPane(FrmMenu& frm, QWidget* parent) : QFrame(parent), frm_(frm) {
  setObjectName(QStringLiteral("TicketMiniature"));
  setFocusPolicy(Qt::NoFocus);  // not a stop of the tab order, never takes the focus
  setFrameShape(QFrame::StyledPanel);
  setToolTip(QStringLiteral("The ticket Print would send; click or press F5 to see it at 1:1"));
  setCursor(Qt::PointingHandCursor);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
  // A burst of changes (a Restore rewrites every setting) makes one redraw, once the
  // record has settled and the handler that made them has returned.
  timer_.setSingleShot(true);
  timer_.setInterval(0);
  connect(&timer_, &QTimer::timeout, this, &PreviewPane::Refresh);
  // The record cannot forget an observer; one that outlives the pane does nothing.
  frm_.State().Observe([pane = QPointer<PreviewPane>(this)](const Control&, Field field) {
    if (pane != nullptr && ChangesTicket(field) && !pane->timer_.isActive()) pane->timer_.start();
  });
  timer_.start();
}

void PreviewPane::Refresh() {
  timer_.stop();
  ++redraws_;
  const std::string& baud = frm_.SerialBaud;
  auto bytes = ComposeWindowTicket(frm_);
  if (!bytes) {
    picture_.reset();
    bytes_.clear();
    message_ = QString::fromStdString(bytes.status().message());
  } else {
    auto picture = DrawTicket(*bytes, PrintableDots(frm_));
    if (!picture) {
      picture_.reset();
      message_ = QString::fromStdString(picture.status().message());
    } else {
      picture_ = std::move(picture).value();
      message_.clear();
    }
    bytes_ = std::move(bytes).value();
  }
  if (window_ != nullptr) {
    if (picture_) {
      window_->ShowTicket(*picture_, bytes_, baud);
    } else {
      window_->ShowFailure(message_);
    }
  }
  update();
}

void PreviewPane::OpenWindow() {
  if (window_ == nullptr) window_ = new PreviewWindow(window());
  if (timer_.isActive()) Refresh();
  if (picture_) {
    window_->ShowTicket(*picture_, bytes_, frm_.SerialBaud);
  } else {
    window_->ShowFailure(message_);
  }
  window_->show();
  window_->raise();
  window_->activateWindow();
}

void PreviewPane::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  const QRect area = contentsRect().adjusted(4, 4, -4, -4);
  if (!picture_) {
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, message_);
    return;
  }
  const QImage& image = picture_->image;
  if (image.isNull()) {
    painter.drawText(area, Qt::AlignCenter, QStringLiteral("(nothing printed)"));
    return;
  }
  // Scaled to fit, never enlarged: a short ticket shows at its real size.
  QSize size = image.size();
  if (size.width() > area.width() || size.height() > area.height()) {
    size.scale(area.size(), Qt::KeepAspectRatio);
  }
  const QRect target(area.x() + (area.width() - size.width()) / 2, area.y(), size.width(),
                     size.height());
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, image);
}

void PreviewPane::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    OpenWindow();
    event->accept();
    return;
  }
  QFrame::mousePressEvent(event);
}

}  // namespace qw77::frontend
