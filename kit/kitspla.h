#pragma once

// TkitSplash: a borderless picture window in the middle of the screen while
// a program starts, for a set time, with optional show/hide animations, an
// optional outline taken from the picture, and closing by a click.
//
// Typical host (see app/ufrmSplash):
//
//   auto* splash = new TkitSplash(hostForm);
//   splash->BeginLoading();
//   splash->SetPicture(...); splash->SetDuration(2000); ...
//   splash->SetAutoShow(true);   // shows at once (modal: returns when gone)
//   splash->Loaded();
//
// "-ns" or "/ns" on the command line (any case) keeps the automatic show away.

#include "kit/kitwanim.h"

#include <QtCore/QObject>
#include <QtCore/QPointer>
#include <QtCore/QStringList>
#include <QtGui/QColor>
#include <QtGui/QImage>

#include <cstdint>
#include <functional>

namespace fegolin {

class TkitsfSplash;

// True when one of the arguments, ASCII-lower-cased, is "-ns" or "/ns".
bool NoSplashRequested(const QStringList& arguments);
// The same for the running program's command line.
bool NoSplashRequested();

class TkitSplash : public QObject {
  Q_OBJECT

public:
  static constexpr int kModalFallbackInterval = 5000;

  explicit TkitSplash(QObject* owner = nullptr);
  ~TkitSplash() override;

  // Look for "<executable name>.bmp" beside the executable first.
  bool AllowLocalBmp() const { return allowLocalBmp_; }
  void SetAllowLocalBmp(bool value) { allowLocalBmp_ = value; }
  TkitAnimateWin& AnimateShow() { return animateShow_; }
  TkitAnimateWin& AnimateHide() { return animateHide_; }
  std::uint16_t BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(std::uint16_t value) { bevelWidth_ = value; }
  // Milliseconds the window stays; 0 = until clicked or closed by the program.
  std::uint16_t Duration() const { return duration_; }
  void SetDuration(std::uint16_t value) { duration_ = value; }
  bool HideOnClick() const { return hideOnClick_; }
  void SetHideOnClick(bool value) { hideOnClick_ = value; }
  QImage Picture() const { return picture_; }
  void SetPicture(const QImage& value) { picture_ = value; }
  // Used on displays of 8 bits per pixel or fewer, and whenever Picture is empty.
  QImage PictureVGA() const { return pictureVGA_; }
  void SetPictureVGA(const QImage& value) { pictureVGA_ = value; }
  // Shaping keeps to blending or no animation: roll, slide and centre
  // effects become blend when it is switched on.
  bool ShapeForm() const { return shapeForm_; }
  void SetShapeForm(bool value);
  QColor ShapeTolerance() const { return shapeTolerance_; }
  void SetShapeTolerance(const QColor& value) { shapeTolerance_ = value; }
  bool ShowModal() const { return showModal_; }
  void SetShowModal(bool value) { showModal_ = value; }
  bool StayOnTop() const { return stayOnTop_; }
  void SetStayOnTop(bool value) { stayOnTop_ = value; }
  void SetOnShow(std::function<void(TkitSplash&)> handler) { onShow_ = std::move(handler); }
  void SetOnHide(std::function<void(TkitSplash&)> handler) { onHide_ = std::move(handler); }
  // While loading, setting true shows the splash at once unless the command
  // line asks for none.
  bool AutoShow() const { return autoShow_; }
  void SetAutoShow(bool value);
  // Show once more when the component goes, and wait for the window to go.
  bool AutoShowOnDestroy() const { return autoShowOnDestroy_; }
  void SetAutoShowOnDestroy(bool value) { autoShowOnDestroy_ = value; }

  void BeginLoading() { loading_ = true; }
  void Loaded() { loading_ = false; }
  bool Loading() const { return loading_; }

  // Throws std::runtime_error "Picture required" without any picture;
  // does nothing while a window is live.
  void ShowSplash();
  void HideSplash();
  TkitsfSplash* SplashWindow() const;

  // The picture ShowSplash would put up on a display of `bitsPerPixel`
  // (the local bitmap aside).
  QImage ChoosePicture(int bitsPerPixel) const;
  // "<executable without extension>.bmp".
  static QString LocalBmpPath();

  void AnimationChanged();

private:
  void SplashShown();
  void SplashHidden();

  bool allowLocalBmp_ = true;
  TkitAnimateWin animateShow_;
  TkitAnimateWin animateHide_;
  std::uint16_t bevelWidth_ = 5;
  std::uint16_t duration_ = 5000;
  bool hideOnClick_ = true;
  QImage picture_;
  QImage pictureVGA_;
  bool shapeForm_ = false;
  QColor shapeTolerance_{0x10, 0x10, 0x10};
  bool showModal_ = false;
  bool stayOnTop_ = true;
  std::function<void(TkitSplash&)> onShow_;
  std::function<void(TkitSplash&)> onHide_;
  bool autoShow_ = true;
  bool autoShowOnDestroy_ = false;
  bool loading_ = false;

  QPointer<TkitsfSplash> window_;
};

} // namespace fegolin
