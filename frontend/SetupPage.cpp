// The Setup page: the user setup the printer starts with, read back and changed.
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <array>

#include "frontend/PrinterTools.h"
#include "frontend/ToolsPages.h"

namespace qw77::frontend {
namespace {

const QString kUnread = QStringLiteral("—");

QString Value(const std::optional<int>& n, const QString& unit = {}) {
  return n ? QString::number(*n) + unit : kUnread;
}

// A choice of "as it is" (no change) or one of the values from..to.
QComboBox* Choice(const char* name, int from, int to) {
  auto* combo = new QComboBox;
  combo->setObjectName(QString::fromLatin1(name));
  combo->addItem(QStringLiteral("as it is"));
  for (int v = from; v <= to; ++v) combo->addItem(QString::number(v), v);
  return combo;
}

std::optional<int> Chosen(const QComboBox* combo) {
  const QVariant v = combo->currentData();
  return v.isValid() ? std::optional<int>(v.toInt()) : std::nullopt;
}

// The change in words, for the question before it is written.
QString ChangeWords(const SetupChange& change) {
  QStringList parts;
  if (change.paper_mm) parts << QStringLiteral("paper width %1 mm").arg(*change.paper_mm);
  if (change.density) parts << QStringLiteral("density %1").arg(*change.density);
  if (change.speed) parts << QStringLiteral("speed %1").arg(*change.speed);
  for (const auto& [number, bits] : change.switches) {
    parts << QStringLiteral("memory switch %1 to %2").arg(number).arg(QString::fromStdString(bits));
  }
  return QStringLiteral("Set ") + parts.join(QStringLiteral(", ")) +
         QStringLiteral(". The printer restarts with the new setup.");
}

class SetupPage : public QWidget {
 public:
  explicit SetupPage(ToolsRunner& runner) : runner_(runner) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ToolNote(QStringLiteral(
        "The setup the printer starts with (GS ( E). Reading or setting it puts the printer in "
        "its setting mode; it restarts when it leaves it.")));
    layout->addWidget(ReadBox());
    layout->addWidget(ChangeBox());
    auto* read = ToolButton(QStringLiteral("&Read setup"), "ReadSetup");
    auto* set = ToolButton(QStringLiteral("&Set…"), "SetSetup");
    connect(read, &QPushButton::clicked, this, [this] { Read(); });
    connect(set, &QPushButton::clicked, this, [this] { Set(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(read);
    buttons->addWidget(set);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);
  }

 private:
  QGroupBox* ReadBox() {
    auto* box = new QGroupBox(QStringLiteral("As the printer reports it"));
    auto* grid = new QGridLayout(box);
    const std::array<const char*, 3> names = {"SetupPaper", "SetupDensity", "SetupSpeed"};
    const std::array<const char*, 3> labels = {"Paper width:", "Density:", "Speed:"};
    for (int i = 0; i < 3; ++i) {
      read_[i] = new QLabel(kUnread);
      read_[i]->setObjectName(QString::fromLatin1(names[i]));
      grid->addWidget(new QLabel(QString::fromLatin1(labels[i])), 0, 2 * i);
      grid->addWidget(read_[i], 0, 2 * i + 1);
    }
    for (int i = 0; i < 8; ++i) {
      switches_[i] = new QLabel(kUnread);
      switches_[i]->setObjectName(QStringLiteral("Switch%1").arg(i + 1));
      grid->addWidget(new QLabel(QStringLiteral("Memory switch %1:").arg(i + 1)), 1 + i / 3,
                      2 * (i % 3));
      grid->addWidget(switches_[i], 1 + i / 3, 2 * (i % 3) + 1);
    }
    return box;
  }

  QGroupBox* ChangeBox() {
    auto* box = new QGroupBox(QStringLiteral("Change"));
    auto* form = new QFormLayout(box);
    paper_ = new QComboBox;
    paper_->setObjectName(QStringLiteral("ChangePaper"));
    paper_->addItem(QStringLiteral("as it is"));
    paper_->addItem(QStringLiteral("58 mm"), 58);
    paper_->addItem(QStringLiteral("80 mm"), 80);
    density_ = Choice("ChangeDensity", -6, 8);
    speed_ = Choice("ChangeSpeed", 1, 9);
    switch_text_ = new QLineEdit;
    switch_text_->setObjectName(QStringLiteral("ChangeSwitches"));
    switch_text_->setPlaceholderText(
        QStringLiteral("N=BITS, bit 8 first; 2 leaves a bit: 2=22220001"));
    form->addRow(QStringLiteral("Paper width:"), paper_);
    form->addRow(QStringLiteral("Density:"), density_);
    form->addRow(QStringLiteral("Speed:"), speed_);
    form->addRow(QStringLiteral("Memory switches:"), switch_text_);
    return box;
  }

  void Read() {
    SetupReport report;
    bool ran = false;
    (void)runner_.Run(QStringLiteral("Read setup"), [&](const ToolPort& port, const Progress&) {
      ran = true;
      report = ReadSetup(port);
      return ToolReport(report);
    });
    if (ran) Show(report.setup);
  }

  void Set() {
    SetupChange change;
    change.paper_mm = Chosen(paper_);
    change.density = Chosen(density_);
    change.speed = Chosen(speed_);
    auto switches = ParseSwitchChanges(switch_text_->text().toStdString());
    if (!switches) return runner_.Tell(QString::fromStdString(switches.status().message()), true);
    change.switches = std::move(switches).value();
    if (change.empty()) {
      return runner_.Tell(QStringLiteral("Nothing to set: every value is left as it is."), true);
    }
    if (const Status checked = CheckSetupChange(change); !checked.ok()) {
      return runner_.Tell(QString::fromStdString(checked.message()), true);
    }
    if (!runner_.ConfirmNvWrite(ChangeWords(change))) return;
    SetupReport report;
    bool ran = false;
    (void)runner_.Run(QStringLiteral("Set setup"), [&](const ToolPort& port, const Progress&) {
      ran = true;
      report = ChangeSetup(port, change);
      return ToolReport(report);
    });
    if (ran) Show(report.setup);  // what the printer reads back, not what was asked
  }

  void Show(const PrinterSetup& setup) {
    read_[0]->setText(Value(setup.paper_mm, QStringLiteral(" mm")));
    read_[1]->setText(Value(setup.density));
    read_[2]->setText(Value(setup.speed));
    QStringList switches;
    for (int i = 0; i < 8; ++i) {
      const std::string& bits = setup.switches[static_cast<std::size_t>(i)];
      switches_[i]->setText(bits.empty() ? kUnread : QString::fromStdString(bits));
      switches << QStringLiteral("%1=%2").arg(i + 1).arg(switches_[i]->text());
    }
    runner_.Tell(QStringLiteral("  Paper width %1, density %2, speed %3.")
                     .arg(read_[0]->text(), read_[1]->text(), read_[2]->text()));
    runner_.Tell(QStringLiteral("  Memory switches ") + switches.join(QChar(' ')));
  }

  ToolsRunner& runner_;
  std::array<QLabel*, 3> read_{};
  std::array<QLabel*, 8> switches_{};
  QComboBox* paper_ = nullptr;
  QComboBox* density_ = nullptr;
  QComboBox* speed_ = nullptr;
  QLineEdit* switch_text_ = nullptr;
};

}  // namespace

Result<std::vector<std::pair<int, std::string>>> ParseSwitchChanges(const std::string& text) {
  static const QRegularExpression kItem(QStringLiteral("^([1-8])=([012]{8})$"));
  std::vector<std::pair<int, std::string>> changes;
  const QStringList items = QString::fromStdString(text).split(
      QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
  for (const QString& item : items) {
    const QRegularExpressionMatch m = kItem.match(item);
    if (!m.hasMatch()) {
      return Status(ErrorCode::kInvalidArgument,
                    "Memory switch change \"" + item.toStdString() +
                        "\" is not N=BITS with N 1 to 8 and eight bits of 0, 1 or 2.");
    }
    const int number = m.captured(1).toInt();
    for (const auto& [seen, bits] : changes) {
      if (seen == number) {
        return Status(ErrorCode::kInvalidArgument,
                      "Memory switch " + std::to_string(number) + " is given twice.");
      }
    }
    changes.emplace_back(number, m.captured(2).toStdString());
  }
  return changes;
}

QWidget* MakeSetupPage(ToolsRunner& runner) {
  return new SetupPage(runner);
}

}  // namespace qw77::frontend
