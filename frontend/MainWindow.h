// The main window drawn from its state record. The record is the only state: every
// widget redraws from it when it changes, and every gesture of the operator becomes a
// write to the record or a call of a handler. The widgets keep nothing of their own.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "form/WindowState.h"
#include "frontend/PrinterTools.h"

namespace qw77 {
class FrmMenu;
}

namespace qw77::frontend {

class PreviewPane;

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(FrmMenu& frm, QWidget* parent = nullptr);
  ~MainWindow() override;

  FrmMenu& Frm() { return frm_; }
  // The miniature of the ticket the settings make (not a control of the record).
  PreviewPane* Preview() const { return preview_; }
  // The printer tools window, opened by F6 (null until it first opens).
  PrinterToolsWindow* Tools() const { return tools_; }
  void OpenTools();

  // Runs `work` (a handler, or a printer tool's job that lets the window take events
  // while it waits) with the window's closing held back until it has returned.
  void RunHeld(const std::function<void()>& work);

  // The widget that draws the control with this key ("Name" or "Name(i)"); nullptr for a
  // control without one (the serial controls).
  QWidget* ControlWidget(std::string_view key) const;
  // The key of the control a widget belongs to ("" for none); a control's inner widgets
  // (the combo box's edit field) count as the control.
  std::string KeyOf(const QObject* object) const;

  // Shows the window centred on its screen, with the focus on the first control of the
  // tab order and no focus handler run for it.
  void ShowCentered();

  // Disables or enables the whole window. The control that held the focus gets it back on
  // enabling, without its focus handler running again.
  void SetWholeWindowEnabled(bool enabled);

  // Ends the program at once: the window goes away without its unload handler.
  void EndProgram();
  bool Ending() const { return ending_; }

 signals:
  // Emitted once, when the window has first been painted on the screen.
  void FirstShown();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Bound {
    const Control* control;
    QWidget* widget;
  };

  void CreateWidgets();
  void Arrange();  // MainWindowLayout.cpp
  void ConnectGestures(const Control& control, QWidget* widget);
  void ApplyTabOrder();
  void RedrawAll();
  void Redraw(const Control& control, Field field);
  void RedrawEnabled(const Control& control, QWidget* widget);

  // Moves the focus somewhere no control sees it, so that Qt does not hand it on to the
  // next control (which would run that control's focus handler) when the focused control
  // is disabled.
  void ParkFocus(QWidget* focused);
  void RestoreParkedFocus();

  // The program moves the focus itself; no handler may run for it.
  void SetFocusQuietly(QWidget* widget);

  FrmMenu& frm_;
  PreviewPane* preview_ = nullptr;
  QPointer<PrinterToolsWindow> tools_;
  std::unordered_map<std::string, Bound> bound_;
  std::unordered_map<const QObject*, std::string> key_of_;
  QPointer<QWidget> parked_;
  int quiet_focus_ = 0;    // > 0 while the program moves the focus
  int handler_depth_ = 0;  // > 0 while a button's handler runs
  bool close_pending_ = false;
  bool unloaded_ = false;
  bool ending_ = false;
  bool first_shown_ = false;
};

}  // namespace qw77::frontend
