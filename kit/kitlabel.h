#pragma once

// The kit's labels: a mouse label that changes its look while hovered or
// pressed, a link label that opens its URL in the browser, and a label whose
// text is given as a list of lines.
//
// The link label as the Info page uses it:
//
//   auto* link = new TkitURLLabel(page);
//   link->setGeometry(172, 38, 124, 13);
//   link->setText(address);          // what the label shows
//   link->SetURL(address);           // what a click opens
//   link->SetShowBrowser(TkitShowWindowStyle::aswShowDefault);
//
// It is blue, underlined while the mouse is over it, purple while a button is
// held on it, and shows the hand cursor. Labels never fill their background
// unless autoFillBackground is set, so they are transparent by default.

#include <QColor>
#include <QFlags>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <string_view>

namespace fegolin {

// A list of sounds that a label plays by number. The program attaches none;
// a label forgets its list when the list is destroyed.
class TkitCustomWaveList : public QObject {
  Q_OBJECT

public:
  using QObject::QObject;
  virtual void Play(std::uint16_t index) = 0;
};

enum class TkitLabelMouseEffect : std::uint8_t {
  almUnderline = 0x1,   // underline the text
  almColor = 0x2,       // draw the text in the effect colour
  almColorShadow = 0x4, // draw a halo in the effect colour behind the text
  almSound = 0x8,       // play the sound
};
Q_DECLARE_FLAGS(TkitLabelMouseEffects, TkitLabelMouseEffect)
Q_DECLARE_OPERATORS_FOR_FLAGS(TkitLabelMouseEffects)

// almColor and almColorShadow exclude each other: the one that `proposed`
// adds to `current` wins, and when both are added at once the halo stays.
TkitLabelMouseEffects NormalizeMouseEffects(TkitLabelMouseEffects current,
                                            TkitLabelMouseEffects proposed);

class TkitCustomMouseLabel : public QLabel {
  Q_OBJECT

public:
  explicit TkitCustomMouseLabel(QWidget* parent = nullptr);

  // Colour and effects while a button is held on the label.
  // Defaults: aqua (0, 255, 255); underline and sound.
  [[nodiscard]] QColor MouseDownColor() const { return mouseDownColor_; }
  void SetMouseDownColor(const QColor& color);
  [[nodiscard]] TkitLabelMouseEffects MouseDownEffects() const { return mouseDownEffects_; }
  void SetMouseDownEffects(TkitLabelMouseEffects effects);

  // Colour and effects while the mouse is over the label.
  // Defaults: yellow (255, 255, 0); underline and sound.
  [[nodiscard]] QColor MouseOverColor() const { return mouseOverColor_; }
  void SetMouseOverColor(const QColor& color);
  [[nodiscard]] TkitLabelMouseEffects MouseOverEffects() const { return mouseOverEffects_; }
  void SetMouseOverEffects(TkitLabelMouseEffects effects);

  // Sounds played through SoundList() (when attached and almSound is among
  // the effects) on pressing and on entering.
  [[nodiscard]] std::uint16_t SoundDown() const { return soundDown_; }
  void SetSoundDown(std::uint16_t index) { soundDown_ = index; }
  [[nodiscard]] std::uint16_t SoundOver() const { return soundOver_; }
  void SetSoundOver(std::uint16_t index) { soundOver_ = index; }
  [[nodiscard]] TkitCustomWaveList* SoundList() const { return soundList_; }
  void SetSoundList(TkitCustomWaveList* list) { soundList_ = list; }

  // "&x" marks an accelerator as in other labels; off shows "&" as it is.
  // Default on.
  [[nodiscard]] bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);

  [[nodiscard]] bool IsHovered() const { return hovered_; }
  [[nodiscard]] bool IsPressed() const { return pressed_; }

signals:
  void OnMouseEnter();
  void OnMouseLeave();
  // A button was pressed and released on the label.
  void OnClick();

protected:
  // What a click does; the base raises OnClick.
  virtual void Click();

  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

private:
  void MouseEntered();
  void MouseLeft();
  // Settles the hover state on where the cursor is now, after the label
  // may have missed enter and leave notifications.
  void SyncHover();
  void PlaySound(TkitLabelMouseEffects effects, std::uint16_t index);

  QColor mouseDownColor_{0, 255, 255};
  QColor mouseOverColor_{255, 255, 0};
  TkitLabelMouseEffects mouseDownEffects_{TkitLabelMouseEffect::almUnderline,
                                          TkitLabelMouseEffect::almSound};
  TkitLabelMouseEffects mouseOverEffects_{TkitLabelMouseEffect::almUnderline,
                                          TkitLabelMouseEffect::almSound};
  std::uint16_t soundDown_ = 0;
  std::uint16_t soundOver_ = 0;
  QPointer<TkitCustomWaveList> soundList_;
  bool showAccelChar_ = true;
  bool hovered_ = false;
  bool pressed_ = false;
};

class TkitMouseLabel : public TkitCustomMouseLabel {
  Q_OBJECT

public:
  using TkitCustomMouseLabel::TkitCustomMouseLabel;
};

// How a started browser should show its window. Neither the desktop's URL
// handler nor a started command line takes a show command, so on this
// platform the desktop decides.
enum class TkitShowWindowStyle : std::uint8_t {
  aswHide,
  aswMaximize,
  aswMinimize,
  aswRestore,
  aswShow,
  aswShowDefault,
  aswShowMaximized,
  aswShowMinimized,
  aswShowMinNoActivate,
  aswShowNA,
  aswShowNoActivate,
  aswShowNormal,
};

class TkitURLLabel final : public TkitCustomMouseLabel {
  Q_OBJECT

public:
  explicit TkitURLLabel(QWidget* parent = nullptr);

  [[nodiscard]] const QString& URL() const { return url_; }
  void SetURL(const QString& url) { url_ = url; }
  // Default aswShowMaximized.
  [[nodiscard]] TkitShowWindowStyle ShowBrowser() const { return showBrowser_; }
  void SetShowBrowser(TkitShowWindowStyle style) { showBrowser_ = style; }

protected:
  // OnClick first, then the browser.
  void Click() override;

private:
  QString url_;
  TkitShowWindowStyle showBrowser_ = TkitShowWindowStyle::aswShowMaximized;
};

// The command line that opens `url` with a browser's registered open command:
// the command is cut just before its placeholder ("\"%1\"", else "%1"), then
// a space and the url (not quoted) are appended.
std::string BuildBrowserCommand(std::string_view openCommand, std::string_view url);

// The default value of a key below the classes root of the registry; empty
// when the key or its default value is missing.
std::string ReadClassesRootDefault(std::string_view key);

// Opens `url` in the browser: with the open command registered for ".htm"
// files when there is one that starts, else through the desktop's URL
// handler. True when a browser was started.
bool OpenURL(const QString& url);

// A label whose text is a list of lines. Its caption is the lines joined with
// CR LF, without trailing line breaks. It sizes itself to its text unless
// SetAutoSize(false).
class TkitMultilineLabel final : public QLabel {
  Q_OBJECT

public:
  explicit TkitMultilineLabel(QWidget* parent = nullptr);

  [[nodiscard]] const QStringList& Lines() const { return lines_; }
  void SetLines(const QStringList& lines);
  [[nodiscard]] const QString& Caption() const { return caption_; }

  // Default on.
  [[nodiscard]] bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);

  // Sets position and size and raises OnResize, whether anything changed or
  // not. Automatic sizing goes through here too.
  void SetBounds(int left, int top, int width, int height);

signals:
  void OnResize();
  void OnMouseEnter();
  void OnMouseLeave();

protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

private:
  void LinesChanged();
  void AdjustBounds();

  QStringList lines_;
  QString caption_;
  bool autoSize_ = true;
};

// The text with every trailing CR LF removed.
QString StripTrailingLineBreaks(QString text);

} // namespace fegolin
