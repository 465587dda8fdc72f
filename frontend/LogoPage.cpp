// The Logos page: the logos stored in the printer's NV graphics memory, with a picture of
// each where one is known, and storing, printing and deleting them.
//
// The printer lists only the keys of its logos, never their pictures or sizes. A logo stored
// from this window shows the picture that was sent (the dithered one); any other says that
// its picture is not available from the printer. The pictures are kept for the session only,
// by port and key.
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "frontend/PrinterTools.h"
#include "frontend/ToolsPages.h"

namespace qw77::frontend {
namespace {

constexpr QSize kIconSize(192, 64);
const QString kNoPicture = QStringLiteral("picture not available from the printer");

// A picture fitted into the list's icon size, on white, with a frame.
QPixmap Icon(const QImage& picture) {
  QPixmap icon(kIconSize);
  icon.fill(Qt::white);
  QPainter painter(&icon);
  if (!picture.isNull()) {
    const QSize size = picture.size().scaled(kIconSize - QSize(4, 4), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint((kIconSize.width() - size.width()) / 2,
                                   (kIconSize.height() - size.height()) / 2),
                            size),
                      picture);
  } else {
    painter.setPen(Qt::gray);
    painter.drawText(icon.rect(), Qt::AlignCenter, QStringLiteral("no picture"));
  }
  painter.setPen(Qt::lightGray);
  painter.drawRect(icon.rect().adjusted(0, 0, -1, -1));
  return icon;
}

class LogoPage : public QWidget {
 public:
  explicit LogoPage(ToolsRunner& runner) : runner_(runner) {
    space_ = new QLabel(QStringLiteral("Capacity and free space: not read yet."));
    space_->setObjectName(QStringLiteral("LogoSpace"));
    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("LogoList"));
    list_->setIconSize(kIconSize);
    list_->setSpacing(2);
    connect(list_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
      if (item != nullptr) key_->setText(item->data(Qt::UserRole).toString());
    });
    key_ = new QLineEdit(QStringLiteral("A1"));
    key_->setObjectName(QStringLiteral("LogoKey"));
    key_->setMaxLength(2);
    key_->setFixedWidth(key_->fontMetrics().horizontalAdvance(QStringLiteral("WWWW")));
    fit_ = new QCheckBox;
    fit_->setObjectName(QStringLiteral("FitToPaper"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(space_);
    layout->addLayout(ListAndButtons(), 1);
    layout->addLayout(StoreRow());
  }

  // Stores the picture in `path` under the key typed, after showing it dithered.
  void StoreFromFile(const QString& path);

 protected:
  void showEvent(QShowEvent* event) override {
    fit_->setText(QStringLiteral("Fit to the paper (%1 dots)").arg(runner_.PaperDots()));
    QWidget::showEvent(event);
  }

 private:
  // The list with what acts on the key picked beside it.
  QHBoxLayout* ListAndButtons() {
    auto* read = ToolButton(QStringLiteral("&Read list"), "ReadLogos");
    auto* print = ToolButton(QStringLiteral("&Print"), "PrintLogo");
    auto* remove = ToolButton(QStringLiteral("&Delete…"), "DeleteLogo");
    auto* remove_all = ToolButton(QStringLiteral("Delete &all…"), "DeleteAllLogos");
    connect(read, &QPushButton::clicked, this, [this] { ReadList(); });
    connect(print, &QPushButton::clicked, this, [this] { Print(); });
    connect(remove, &QPushButton::clicked, this, [this] { Delete(); });
    connect(remove_all, &QPushButton::clicked, this, [this] { DeleteAll(); });
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {read, print, remove, remove_all}) buttons->addWidget(b);
    buttons->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addWidget(list_, 1);
    row->addLayout(buttons);
    return row;
  }

  QHBoxLayout* StoreRow() {
    auto* store = ToolButton(QStringLiteral("&Store from file…"), "StoreLogo");
    connect(store, &QPushButton::clicked, this, [this] {
      const QString path =
          QFileDialog::getOpenFileName(this, QStringLiteral("Store a logo"), QString(),
                                       QStringLiteral("Pictures (*.png *.bmp);;All files (*)"));
      if (!path.isEmpty()) StoreFromFile(path);
    });
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Key:")));
    row->addWidget(key_);
    row->addWidget(fit_);
    row->addStretch(1);
    row->addWidget(store);
    return row;
  }

  // The key typed (or picked in the list), or nothing after telling why it is no key.
  std::optional<LogoKey> Key() {
    const Result<LogoKey> key = ParseLogoKey(key_->text().toStdString());
    if (!key) {
      runner_.Tell(QString::fromStdString(key.status().message()), true);
      return std::nullopt;
    }
    return *key;
  }

  void ReadList();
  void Print();
  void Delete();
  void DeleteAll();
  void ShowSpace(std::size_t capacity, std::size_t remaining);
  void PutItem(const QString& key);
  // Called as a job starts on `port`: a list of another port's logos is no longer shown.
  void OnPort(const ToolPort& port);
  QString PictureKey(const QString& key) const { return port_ + QChar('/') + key; }

  ToolsRunner& runner_;
  QLabel* space_ = nullptr;
  QListWidget* list_ = nullptr;
  QLineEdit* key_ = nullptr;
  QCheckBox* fit_ = nullptr;
  // The pictures stored from this window in this session, by port and key ("COM1/A1"): the
  // same key on another printer is another logo.
  QHash<QString, QImage> pictures_;
  QString port_;  // the port whose logos the list shows
  std::size_t capacity_ = 0;
};

void LogoPage::ShowSpace(std::size_t capacity, std::size_t remaining) {
  capacity_ = capacity;
  space_->setText(QStringLiteral("Capacity %1 bytes, %2 bytes free.").arg(capacity).arg(remaining));
}

void LogoPage::OnPort(const ToolPort& port) {
  const QString name = QString::fromStdString(port.name);
  if (name == port_) return;
  port_ = name;
  list_->clear();
  space_->setText(QStringLiteral("Capacity and free space: not read yet."));
}

void LogoPage::PutItem(const QString& key) {
  const auto found = pictures_.constFind(PictureKey(key));
  const QImage picture = found == pictures_.constEnd() ? QImage() : *found;
  const QString about = picture.isNull() ? kNoPicture
                                         : QStringLiteral("%1 × %2 dots, stored from this window")
                                               .arg(picture.width())
                                               .arg(picture.height());
  QListWidgetItem* item = nullptr;
  for (int i = 0; i < list_->count() && item == nullptr; ++i) {
    if (list_->item(i)->data(Qt::UserRole).toString() == key) item = list_->item(i);
  }
  if (item == nullptr) item = new QListWidgetItem(list_);
  item->setData(Qt::UserRole, key);
  item->setText(key + QStringLiteral("  ·  ") + about);
  item->setIcon(Icon(picture));
}

void LogoPage::ReadList() {
  LogoListReport report;
  bool ran = false;
  (void)runner_.Run(QStringLiteral("Read the logo list"),
                    [&](const ToolPort& port, const Progress&) {
                      ran = true;
                      OnPort(port);
                      report = ListLogos(port);
                      return ToolReport(report);
                    });
  if (!ran) return;
  list_->clear();
  if (!report.ok()) return;
  ShowSpace(report.list.capacity, report.list.remaining);
  QStringList keys;
  for (const LogoKey& key : report.list.keys) {
    keys << QString::fromStdString(key.Text());
    PutItem(keys.back());
  }
  runner_.Tell(QStringLiteral("  ") + space_->text());
  runner_.Tell(keys.isEmpty() ? QStringLiteral("  No logo is stored.")
                              : QStringLiteral("  Stored: ") + keys.join(QStringLiteral(", ")));
}

void LogoPage::StoreFromFile(const QString& path) {
  const std::optional<LogoKey> key = Key();
  if (!key) return;
  const Result<DotImage> image =
      LoadLogo(path.toStdString(), fit_->isChecked() ? runner_.PaperDots() : 0);
  if (!image) {
    runner_.Tell(QString::fromStdString(image.status().message()), true);
    return;
  }
  const QImage picture = DotPicture(*image);
  const QString name = QString::fromStdString(key->Text());
  const QString what = QStringLiteral("Store %1 (%2 × %3 dots, %4 bytes) as logo %5.")
                           .arg(QFileInfo(path).fileName())
                           .arg(image->width)
                           .arg(image->height)
                           .arg(RasterBytes(*image).size())
                           .arg(name);
  if (!runner_.ConfirmNvWrite(what, &picture)) return;
  LogoStoreReport report;
  (void)runner_.Run(QStringLiteral("Store logo ") + name,
                    [&](const ToolPort& port, const Progress& progress) {
                      OnPort(port);
                      report = StoreLogo(port, *key, *image, progress);
                      return ToolReport(report);
                    });
  if (!report.ok()) return;
  pictures_.insert(PictureKey(name), picture);
  PutItem(name);
  if (report.remaining) ShowSpace(capacity_, *report.remaining);
}

void LogoPage::Print() {
  const std::optional<LogoKey> key = Key();
  if (!key) return;
  (void)runner_.Run(QStringLiteral("Print logo ") + QString::fromStdString(key->Text()),
                    [&](const ToolPort& port, const Progress& progress) {
                      return PrintLogo(port, *key, progress);
                    });
}

void LogoPage::Delete() {
  const std::optional<LogoKey> key = Key();
  if (!key) return;
  const QString name = QString::fromStdString(key->Text());
  if (!runner_.ConfirmNvWrite(QStringLiteral("Delete logo %1.").arg(name))) return;
  if (!runner_.Run(QStringLiteral("Delete logo ") + name,
                   [&](const ToolPort& port, const Progress&) {
                     OnPort(port);
                     return DeleteLogo(port, *key);
                   })) {
    return;
  }
  pictures_.remove(PictureKey(name));
  for (int i = list_->count() - 1; i >= 0; --i) {
    if (list_->item(i)->data(Qt::UserRole).toString() == name) delete list_->takeItem(i);
  }
}

void LogoPage::DeleteAll() {
  if (!runner_.ConfirmNvWrite(QStringLiteral("Delete every logo stored in the printer."))) return;
  if (!runner_.Run(QStringLiteral("Delete all logos"),
                   [this](const ToolPort& port, const Progress&) {
                     OnPort(port);
                     return DeleteAllLogos(port);
                   })) {
    return;
  }
  pictures_.removeIf([this](const auto& entry) { return entry.key().startsWith(port_ + '/'); });
  list_->clear();
}

}  // namespace

QWidget* MakeLogoPage(ToolsRunner& runner) {
  return new LogoPage(runner);
}

}  // namespace qw77::frontend
