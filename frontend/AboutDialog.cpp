#include "frontend/AboutDialog.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "form/About.h"
#include "frontend/Pictures.h"

namespace qw77::frontend {
namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

QLabel* Label(const std::string& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(Q(text), parent);
  label->setObjectName(QLatin1String(name));
  label->setTextFormat(Qt::PlainText);
  return label;
}

QFrame* Line(const QColor& colour, const char* name, QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setObjectName(QLatin1String(name));
  line->setFixedHeight(1);
  line->setAutoFillBackground(true);
  QPalette palette = line->palette();
  palette.setColor(QPalette::Window, colour);
  line->setPalette(palette);
  return line;
}

}  // namespace

AboutDialog::AboutDialog(const FrmAbout& about, QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("frmAbout"));
  // A fixed-size tool window: a title bar with a close box, nothing to minimise or maximise.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(Q(about.Caption));
  setModal(true);

  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("Picture1"));
  picture->setFixedSize(99, 82);
  picture->setPixmap(LoadPicture(kAboutPicture));

  QLabel* title = Label(about.lblTitle, "lblTitle", this);
  QFont title_font = title->font();
  title_font.setPointSize(title_font.pointSize() + 6);
  title_font.setBold(true);
  title->setFont(title_font);
  QLabel* version = Label(about.lblVersion, "lblVersion", this);
  QLabel* description = Label(about.lblDescription, "lblDescription", this);
  description->setWordWrap(true);
  description->setMinimumWidth(330);
  QLabel* disclaimer = Label(about.lblDisclaimer, "lblDisclaimer", this);

  auto* ok = new QPushButton(Q(about.cmdOK), this);
  ok->setObjectName(QStringLiteral("cmdOK"));
  ok->setDefault(true);  // Enter; Escape rejects the dialog, which closes it all the same
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* texts = new QVBoxLayout;
  texts->addWidget(title);
  texts->addWidget(version);
  texts->addSpacing(6);
  texts->addWidget(description);
  texts->addStretch();

  auto* top = new QHBoxLayout;
  top->addWidget(picture, 0, Qt::AlignTop);
  top->addSpacing(10);
  top->addLayout(texts, 1);

  // Line1(0) and Line1(1): a grey line over a white one reads as an etched groove.
  auto* separator = new QVBoxLayout;
  separator->setSpacing(0);
  separator->addWidget(Line(QColor(0x80, 0x80, 0x80), "Line1(1)", this));
  separator->addWidget(Line(Qt::white, "Line1(0)", this));

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(disclaimer, 1);
  bottom->addWidget(ok);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addSpacing(6);
  layout->addLayout(separator);
  layout->addSpacing(6);
  layout->addLayout(bottom);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace qw77::frontend
