#pragma once

// TkitsfSplash: the borderless splash window of TkitSplash, built through the
// kit's form registry. A raised panel holds the picture; the shape control
// replaces the panel when the window takes the picture's outline. The close
// timer ends the window; so does a click when CloseOnClick is set.

#include <QtWidgets/QWidget>

#include <QtCore/QTimer>

#include <functional>

class QFrame;
class QLabel;

namespace fegolin {

class TkitShapeForm;

class TkitsfSplash : public QWidget {
  Q_OBJECT

public:
  static constexpr int kDesignInterval = 100;

  explicit TkitsfSplash(QObject* owner);
  ~TkitsfSplash() override;

  QObject* Owner() const { return owner_; }

  // Run just before the window becomes visible and just before it hides
  // (the hide hook plays its animation while the window is still on screen).
  std::function<void()> OnShow;
  std::function<void()> OnHide;

  bool CloseOnClick = true;

  // The close timer as the splash uses it: it runs while enabled with a
  // non-zero interval, and setting the interval restarts it.
  void SetCloseInterval(int milliseconds);
  int CloseInterval() const { return tmrClose.interval(); }
  bool CloseTimerRunning() const { return tmrClose.isActive(); }
  // The close timer itself, for a test to fire its timeout event.
  QTimer& CloseTimer() { return tmrClose; }

  void SetStayOnTop(bool onTop);
  // The bevel of pnlSplash; the picture sits inside it.
  void SetBevelWidth(int width);
  // The picture shown by imgSplash.
  void SetPicture(const QImage& picture);
  QImage Picture() const;

  // Handlers.
  void tmrCloseTimer();
  void FormActivate();
  void imgSplashClick();
  void kitShapeForm1Click();

  QFrame* pnlSplash = nullptr;
  QLabel* imgSplash = nullptr;
  TkitShapeForm* kitShapeForm1 = nullptr;

  void setVisible(bool visible) override;

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  void UpdateCloseTimer();
  void PlacePicture();

  QObject* owner_;
  QTimer tmrClose;
  bool closeTimerEnabled_ = true;
  bool hiding_ = false;
  QImage picture_;
};

} // namespace fegolin
