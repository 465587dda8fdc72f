// The About window, drawn from its record: picture, title, version, description, an etched
// separator and the Accept button, which is both the default and the cancel button.
#pragma once

#include <QDialog>

namespace qw77 {
struct FrmAbout;
}

namespace qw77::frontend {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  AboutDialog(const FrmAbout& about, QWidget* owner);
};

}  // namespace qw77::frontend
