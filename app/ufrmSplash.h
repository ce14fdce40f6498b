#pragma once

// TfrmSplash: the invisible host of the splash screen. Creating it shows the
// 300 x 200 picture modally for two seconds (blend in and out), unless the
// command line carries "-ns" or "/ns"; the constructor returns once the
// splash has gone.
//
// The main window creates it in FormCreate when the option is on:
//   if (ReadBoolOption(Option::ShowSplash) && !splashForm_) splashForm_ = new TfrmSplash(this);

#include <QtWidgets/QWidget>

namespace fegolin {

class TkitSplash;

class TfrmSplash : public QWidget {
  Q_OBJECT

public:
  // A separate window owned by `owner`; never shown itself.
  explicit TfrmSplash(QWidget* owner = nullptr);

  TkitSplash* kitSplash1 = nullptr;

protected:
  void closeEvent(QCloseEvent* event) override;
};

} // namespace fegolin
