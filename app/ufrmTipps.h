#pragma once

// TfrmTipps: the invisible host of the start-up tips window. Creating it
// shows the tip window at once (not modal, on top) when "Show Tipps on
// Startup" reads true; the window's check box writes that value back.
//
// The main window creates it in FormCreate when the option is on:
//   if (ReadBoolOption(Option::ShowTipps) && !tipsForm_) tipsForm_ = new TfrmTipps(this);

#include <QtWidgets/QWidget>

namespace fegolin {

class TkitCustomWelcomeTips;
class TkitWelcomeTips;

class TfrmTipps : public QWidget {
  Q_OBJECT

public:
  // A separate window owned by `owner`; never shown itself.
  explicit TfrmTipps(QWidget* owner = nullptr);

  TkitWelcomeTips* kitWelcomeTips = nullptr;

  // "Show Tipps on Startup", read with default true (stored when missing).
  void kitWelcomeTipsGetShow(TkitCustomWelcomeTips& Sender, bool& ShowDialog);
  // Writes the flag as a DWORD: 0 for false, -1 for true.
  void kitWelcomeTipsSetShow(TkitCustomWelcomeTips& Sender, bool& ShowDialog);
  // The program has no tip texts: the tip stays empty.
  void kitWelcomeTipsGetTip(TkitCustomWelcomeTips& Sender, int& TipIndex, QString& TipText);

protected:
  void changeEvent(QEvent* event) override;

private:
  // The captions the kit shows, in the language in force.
  void RetranslateUi();
  // The tip window already up takes them, and gets words of the program's
  // for its buttons.
  void RetranslateTipWindow();
};

} // namespace fegolin
