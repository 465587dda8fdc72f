// The pages that read and print: Information, Counters and Test prints.
#include "frontend/ToolsPages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>

#include "frontend/PrinterTools.h"

namespace qw77::frontend {
namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

const QString kNotAnswered = QStringLiteral("—");

QString Text(const std::string& s) {
  return s.empty() ? kNotAnswered : Q(s);
}

// A one-byte ID as the shell front end writes it: "0x47".
QString Id(const std::optional<std::uint8_t>& id) {
  if (!id) return kNotAnswered;
  return QStringLiteral("0x") + QString::number(*id, 16).rightJustified(2, QChar('0')).toUpper();
}

// What the printer says it is, one row a reply.
class InfoPage : public QWidget {
 public:
  explicit InfoPage(ToolsRunner& runner) : runner_(runner) {
    auto* read = ToolButton(QStringLiteral("&Read information"), "ReadInfo");
    connect(read, &QPushButton::clicked, this, [this] { Read(); });
    auto* form = new QFormLayout;
    for (std::size_t i = 0; i < kRows.size(); ++i) {
      values_[i] = new QLabel(kNotAnswered);
      values_[i]->setObjectName(QString::fromLatin1(kRows[i].name));
      values_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
      values_[i]->setWordWrap(true);
      form->addRow(QString::fromLatin1(kRows[i].label), values_[i]);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        ToolNote(QStringLiteral("What the printer reports about itself (GS I) and its "
                                "status. Nothing is written to its memory.")));
    layout->addLayout(form);
    layout->addWidget(read, 0, Qt::AlignLeft);
    layout->addStretch(1);
  }

 private:
  struct Row {
    const char* name;
    const char* label;
  };
  static constexpr std::array<Row, 9> kRows = {{{"InfoModel", "Model name:"},
                                                {"InfoMaker", "Maker:"},
                                                {"InfoFirmware", "Firmware:"},
                                                {"InfoSerial", "Serial number:"},
                                                {"InfoFonts", "Fonts:"},
                                                {"InfoType", "Type:"},
                                                {"InfoModelId", "Model ID:"},
                                                {"InfoVersionId", "Version ID:"},
                                                {"InfoStatus", "Status:"}}};

  void Read() {
    InfoReport report;
    bool ran = false;
    (void)runner_.Run(QStringLiteral("Read information"),
                      [&](const ToolPort& port, const Progress&) {
                        ran = true;
                        report = ReadPrinterInfo(port);
                        return ToolReport(report);
                      });
    if (ran) Show(report.info);  // one that did not start leaves what was read before
  }

  void Show(const PrinterInfo& info) {
    QString type = kNotAnswered;
    if (info.type_id) {
      QStringList words;
      for (const std::string& word : TypeIdWords(*info.type_id)) words << Q(word);
      type = Id(info.type_id) + QStringLiteral(" (") +
             (words.isEmpty() ? QStringLiteral("no options") : words.join(QStringLiteral(", "))) +
             QStringLiteral(")");
    }
    const std::array<QString, 9> shown = {Text(info.model),
                                          Text(info.maker),
                                          Text(info.firmware),
                                          Text(info.serial_number),
                                          Text(info.fonts),
                                          type,
                                          Id(info.model_id),
                                          Id(info.version_id),
                                          info.status ? StatusWords(*info.status) : kNotAnswered};
    for (std::size_t i = 0; i < shown.size(); ++i) {
      values_[i]->setText(shown[i]);
      runner_.Tell(QStringLiteral("  %1 %2").arg(QString::fromLatin1(kRows[i].label), shown[i]));
    }
  }

  ToolsRunner& runner_;
  std::array<QLabel*, 9> values_{};
};

QString Count(const std::optional<std::int64_t>& n) {
  return n ? QString::number(*n) : kNotAnswered;
}

// The maintenance counters, and their reset.
class CountersPage : public QWidget {
 public:
  explicit CountersPage(ToolsRunner& runner) : runner_(runner) {
    table_ = new QTreeWidget;
    table_->setObjectName(QStringLiteral("C&ounters"));
    table_->setHeaderLabels(
        {QStringLiteral("Counter"), QStringLiteral("Since reset"), QStringLiteral("In all")});
    table_->setRootIsDecorated(false);
    table_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto* read = ToolButton(QStringLiteral("&Read counters"), "ReadCounters");
    auto* reset = ToolButton(QStringLiteral("Re&set counters…"), "ResetCounters");
    connect(read, &QPushButton::clicked, this, [this] { Run(false); });
    connect(reset, &QPushButton::clicked, this, [this] { Run(true); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(read);
    buttons->addWidget(reset);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        ToolNote(QStringLiteral("The printer's maintenance counters (GS g). A reset "
                                "sets the counters since the last reset to zero; the "
                                "totals stay.")));
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
  }

 private:
  void Run(bool reset) {
    if (reset && !runner_.ConfirmNvWrite(QStringLiteral("Reset the maintenance counters."))) {
      return;
    }
    CountersReport report;
    bool ran = false;
    const QString what = reset ? QStringLiteral("Reset counters") : QStringLiteral("Read counters");
    (void)runner_.Run(what, [&](const ToolPort& port, const Progress&) {
      ran = true;
      report = reset ? ResetCounters(port) : ReadCounters(port);
      return ToolReport(report);
    });
    if (!ran) return;
    table_->clear();
    for (const CounterValue& c : report.counters) {
      auto* row = new QTreeWidgetItem({QStringLiteral("%1 (%2)").arg(Q(c.name)).arg(c.number),
                                       Count(c.since_reset), Count(c.in_all)});
      row->setTextAlignment(1, Qt::AlignRight);
      row->setTextAlignment(2, Qt::AlignRight);
      table_->addTopLevelItem(row);
      runner_.Tell(QStringLiteral("  %1: %2 since reset, %3 in all")
                       .arg(row->text(0), row->text(1), row->text(2)));
    }
  }

  ToolsRunner& runner_;
  QTreeWidget* table_ = nullptr;
};

// The printer's own test prints and the code page table.
class TestPrintPage : public QWidget {
 public:
  explicit TestPrintPage(ToolsRunner& runner) : runner_(runner) {
    code_page_ = new QSpinBox;
    code_page_->setObjectName(QStringLiteral("CodePage"));
    code_page_->setRange(0, 255);
    auto* code_page_row = new QHBoxLayout;
    code_page_row->addWidget(
        new QLabel(QStringLiteral("A table of the 128 upper characters of code page")));
    code_page_row->addWidget(code_page_);
    code_page_row->addStretch(1);
    auto* grid = new QGridLayout;
    AddRow(grid, 0, ToolButton(QStringLiteral("&Hex dump"), "HexDump"), TestPrintKind::kHexDump);
    grid->addWidget(ToolNote(QStringLiteral("From now on the printer prints every byte it "
                                            "receives in hex, until it is switched off and on.")),
                    0, 1);
    AddRow(grid, 1, ToolButton(QStringLiteral("&Status page"), "StatusPage"),
           TestPrintKind::kStatusPage);
    grid->addWidget(ToolNote(QStringLiteral("The printer's own page of its settings and state.")),
                    1, 1);
    AddRow(grid, 2, ToolButton(QStringLiteral("&Pattern"), "Pattern"),
           TestPrintKind::kRollingPattern);
    grid->addWidget(ToolNote(QStringLiteral("A rolling pattern that shows every dot of the head.")),
                    2, 1);
    AddRow(grid, 3, ToolButton(QStringLiteral("&Code page"), "CodePagePrint"),
           TestPrintKind::kCodePage);
    grid->addLayout(code_page_row, 3, 1);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
  }

 private:
  void AddRow(QGridLayout* grid, int row, QPushButton* button, TestPrintKind kind) {
    grid->addWidget(button, row, 0);
    connect(button, &QPushButton::clicked, this, [this, button, kind] {
      const int page = code_page_->value();
      QString title = QStringLiteral("Test print: ") + button->text().remove(QChar('&'));
      if (kind == TestPrintKind::kCodePage) title += QStringLiteral(" %1").arg(page);
      (void)runner_.Run(title, [kind, page](const ToolPort& port, const Progress&) {
        return RunTestPrint(port, kind, page);
      });
    });
  }

  ToolsRunner& runner_;
  QSpinBox* code_page_ = nullptr;
};

}  // namespace

QPushButton* ToolButton(const QString& caption, const char* name) {
  auto* button = new QPushButton(caption);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  return button;
}

QLabel* ToolNote(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  return label;
}

QString StatusWords(const StatusFlags& flags) {
  static constexpr std::pair<bool StatusFlags::*, const char*> kWords[] = {
      {&StatusFlags::paper_out_or_head_up, "no paper or head up"},
      {&StatusFlags::head_voltage, "head voltage"},
      {&StatusFlags::cutter, "cutter"},
      {&StatusFlags::black_mark, "black mark"},
      {&StatusFlags::temperature, "temperature"},
      {&StatusFlags::hardware, "hardware"},
      {&StatusFlags::paper_near_end, "paper near end"},
  };
  QStringList words;
  for (const auto& [flag, text] : kWords) {
    if (flags.*flag) words << QString::fromLatin1(text);
  }
  return words.isEmpty() ? QStringLiteral("no condition") : words.join(QStringLiteral(", "));
}

QImage DotPicture(const DotImage& image) {
  QImage picture(image.width, image.height, QImage::Format_Grayscale8);
  for (int y = 0; y < image.height; ++y) {
    uchar* row = picture.scanLine(y);
    for (int x = 0; x < image.width; ++x) {
      row[x] = image.dots[static_cast<std::size_t>(y) * image.width + x] != 0 ? 0 : 255;
    }
  }
  return picture;
}

void AddToolsPages(QTabWidget& pages, ToolsRunner& runner) {
  pages.addTab(new InfoPage(runner), QStringLiteral("&Information"));
  pages.addTab(MakeLogoPage(runner), QStringLiteral("&Logos"));
  pages.addTab(new CountersPage(runner), QStringLiteral("C&ounters"));
  pages.addTab(MakeSetupPage(runner), QStringLiteral("Set&up"));
  pages.addTab(new TestPrintPage(runner), QStringLiteral("&Test prints"));
}

}  // namespace qw77::frontend
