#pragma once

// TkitsfTip: the window of the welcome-tips component. A fixed dialog of
// four stacked panels (greeting, tip area, check box row, progress), built
// for its owner, a TkitCustomWelcomeTips, through the kit's form registry.

#include "kit/kitlabel.h"

#include <QtWidgets/QDialog>

#include <QtCore/QPointer>
#include <QtCore/QStringList>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace fegolin {

class TkitCheckBox;
class TkitCustomWelcomeTips;

class TkitsfTip : public QDialog {
  Q_OBJECT

public:
  static constexpr int kClientWidth = 486;
  static constexpr int kCenterHeight = 180;
  static constexpr int kProgressHeight = 54;
  static constexpr int kMinTopHeight = 41;
  static constexpr int kMinBottomHeight = 40;

  // Throws std::runtime_error "This component must be owned by
  // TkitCustomWelcomeTips" for any other owner. Asks the owner for the
  // check box state and the first tip.
  explicit TkitsfTip(QObject* owner);
  ~TkitsfTip() override;

  TkitCustomWelcomeTips* Owner() const { return owner_; }
  // The owning component is going away and needs no more calls.
  void ReleaseOwner() { owner_ = nullptr; }

  // The greeting, one entry a line; the label sizes itself to it.
  void SetGreeting(const QStringList& lines);
  void SetHelpContexts(int contents, int whatsNew);
  void SetStayOnTop(bool onTop);
  // Panel heights and the client height from the greeting, the check box
  // and the progress panel.
  void AdjustLayout();

  // Handlers.
  void btnNextClick();
  void chkShowNextClick();
  void btnHelpClick();
  void btnWhatsNewClick();
  void btnCloseClick();

  // Panels, top to bottom.
  QWidget* pnlTop = nullptr;
  QWidget* pnlCenter = nullptr;
  QWidget* pnlBottom = nullptr;
  QWidget* pnlProgress = nullptr;

  TkitMultilineLabel* lblGreeting = nullptr;
  QFrame* Shape1 = nullptr;
  QFrame* Bevel1 = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* lblDidYouKnow = nullptr;
  QLabel* lblTip = nullptr;
  QPushButton* btnNext = nullptr;
  QPushButton* btnHelp = nullptr;
  QPushButton* btnWhatsNew = nullptr;
  QFrame* Bevel2 = nullptr;
  QPushButton* btnClose = nullptr;
  TkitCheckBox* chkShowNext = nullptr;
  QProgressBar* ProgressBar = nullptr;
  QLabel* lblProgress = nullptr;

public slots:
  // Escape and the Close button free the window like its close box does.
  void reject() override;

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void BuildLayout();

  TkitCustomWelcomeTips* owner_ = nullptr;
  int helpContents_ = 0;
  int helpWhatsNew_ = 0;
};

} // namespace fegolin
