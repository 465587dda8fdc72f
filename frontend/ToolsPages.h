// The pages of the printer tools window. Each page asks the window's runner to carry out a
// job and draws the job's typed report into its own widgets; the runner's log keeps every
// message of every report.
#pragma once

#include <QImage>
#include <QString>
#include <string>

#include "jobs/PrinterTools.h"

class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;

namespace qw77::frontend {

class ToolsRunner;

// Information, Logos, Counters, Setup and Test prints, in that order.
void AddToolsPages(QTabWidget& pages, ToolsRunner& runner);

QWidget* MakeLogoPage(ToolsRunner& runner);   // LogoPage.cpp
QWidget* MakeSetupPage(ToolsRunner& runner);  // SetupPage.cpp

// A page's button (never a default button: Enter writes nothing) and a page's note.
QPushButton* ToolButton(const QString& caption, const char* name);
QLabel* ToolNote(const QString& text);

// The printer's conditions in words, as the shell front end says them: "no condition" when
// it reports none.
QString StatusWords(const StatusFlags& flags);

// A one-bit picture as the printer prints it: black dots on white paper.
QImage DotPicture(const DotImage& image);

// The memory switch changes as the operator types them: "N=BITS" items apart by spaces or
// commas, N 1..8 and BITS eight of 0, 1 or 2 (leave the bit), bit 8 first. An empty text is
// no change; anything else unreadable is refused with a sentence saying which item.
Result<std::vector<std::pair<int, std::string>>> ParseSwitchChanges(const std::string& text);

}  // namespace qw77::frontend
