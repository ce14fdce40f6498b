#include "kit/kitlabel.h"

#include "platform/Registry.h"

#include <QCursor>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QUrl>

namespace fegolin {
namespace {

const QString kLineBreak = QStringLiteral("\r\n");

// Starts a command line the way the shell would split it, without a shell in
// between, so nothing in the url is ever interpreted.
bool StartCommandLine(const std::string& commandLine) {
  QStringList arguments = QProcess::splitCommand(QString::fromStdString(commandLine));
  if (arguments.isEmpty()) {
    return false;
  }
  const QString program = arguments.takeFirst();
  return QProcess::startDetached(program, arguments);
}

} // namespace

TkitLabelMouseEffects NormalizeMouseEffects(TkitLabelMouseEffects current,
                                            TkitLabelMouseEffects proposed) {
  const TkitLabelMouseEffects colours{TkitLabelMouseEffect::almColor,
                                      TkitLabelMouseEffect::almColorShadow};
  if ((proposed & colours) != colours) {
    return proposed;
  }
  const auto added = proposed & ~current;
  if (added.testFlag(TkitLabelMouseEffect::almColor) &&
      !added.testFlag(TkitLabelMouseEffect::almColorShadow)) {
    return proposed & ~TkitLabelMouseEffects(TkitLabelMouseEffect::almColorShadow);
  }
  return proposed & ~TkitLabelMouseEffects(TkitLabelMouseEffect::almColor);
}

// ---------------------------------------------------------------------------
// TkitCustomMouseLabel
// ---------------------------------------------------------------------------

TkitCustomMouseLabel::TkitCustomMouseLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
}

void TkitCustomMouseLabel::SetMouseDownColor(const QColor& color) {
  if (mouseDownColor_ == color) {
    return;
  }
  mouseDownColor_ = color;
  if (pressed_) {
    update();
  }
}

void TkitCustomMouseLabel::SetMouseDownEffects(TkitLabelMouseEffects effects) {
  effects = NormalizeMouseEffects(mouseDownEffects_, effects);
  if (mouseDownEffects_ == effects) {
    return;
  }
  mouseDownEffects_ = effects;
  if (pressed_) {
    update();
  }
}

void TkitCustomMouseLabel::SetMouseOverColor(const QColor& color) {
  if (mouseOverColor_ == color) {
    return;
  }
  mouseOverColor_ = color;
  if (hovered_ && !pressed_) {
    update();
  }
}

void TkitCustomMouseLabel::SetMouseOverEffects(TkitLabelMouseEffects effects) {
  effects = NormalizeMouseEffects(mouseOverEffects_, effects);
  if (mouseOverEffects_ == effects) {
    return;
  }
  mouseOverEffects_ = effects;
  if (hovered_ && !pressed_) {
    update();
  }
}

void TkitCustomMouseLabel::SetShowAccelChar(bool value) {
  showAccelChar_ = value;
  update();
}

void TkitCustomMouseLabel::Click() {
  emit OnClick();
}

void TkitCustomMouseLabel::PlaySound(TkitLabelMouseEffects effects, std::uint16_t index) {
  if (effects.testFlag(TkitLabelMouseEffect::almSound) && soundList_) {
    soundList_->Play(index);
  }
}

void TkitCustomMouseLabel::MouseEntered() {
  if (!hovered_ && isEnabled()) {
    hovered_ = true;
    update();
    PlaySound(mouseOverEffects_, soundOver_);
  }
  emit OnMouseEnter();
}

void TkitCustomMouseLabel::MouseLeft() {
  if (isEnabled()) {
    hovered_ = false;
    update();
  }
  emit OnMouseLeave();
}

void TkitCustomMouseLabel::SyncHover() {
  pressed_ = false;
  update();
  if (!isEnabled()) {
    return;
  }
  if (rect().contains(mapFromGlobal(QCursor::pos()))) {
    hovered_ = false;
    MouseEntered();
  } else {
    hovered_ = true;
    MouseLeft();
  }
}

void TkitCustomMouseLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  MouseEntered();
}

void TkitCustomMouseLabel::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  MouseLeft();
}

void TkitCustomMouseLabel::mousePressEvent(QMouseEvent* event) {
  QLabel::mousePressEvent(event);
  // Keep the press, so the release comes back here even off the label.
  event->accept();
  if (!pressed_ && isEnabled()) {
    pressed_ = true;
    update();
    PlaySound(mouseDownEffects_, soundDown_);
  }
}

void TkitCustomMouseLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  event->accept();
  if (pressed_ && isEnabled()) {
    pressed_ = false;
    update();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
      Click();
    }
  }
}

void TkitCustomMouseLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) {
    SyncHover();
  }
}

void TkitCustomMouseLabel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QRect area = contentsRect();
  int flags = static_cast<int>(alignment());
  if (wordWrap()) {
    flags |= Qt::TextWordWrap;
  }
  if (showAccelChar_) {
    flags |= Qt::TextShowMnemonic;
  }
  QFont drawFont = font();

  if (!isEnabled()) {
    painter.setFont(drawFont);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawText(area.translated(1, 1), flags, text());
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawText(area, flags, text());
    return;
  }

  // The pressed look replaces the hover look while both hold.
  TkitLabelMouseEffects effects;
  QColor effectColor;
  if (pressed_) {
    effects = mouseDownEffects_;
    effectColor = mouseDownColor_;
  } else if (hovered_) {
    effects = mouseOverEffects_;
    effectColor = mouseOverColor_;
  }
  if (effects.testFlag(TkitLabelMouseEffect::almUnderline)) {
    drawFont.setUnderline(true);
  }
  painter.setFont(drawFont);
  QColor textColor = palette().color(foregroundRole());
  if (effects.testFlag(TkitLabelMouseEffect::almColor)) {
    textColor = effectColor;
  } else if (effects.testFlag(TkitLabelMouseEffect::almColorShadow)) {
    painter.setPen(effectColor);
    painter.drawText(area.translated(-1, -1), flags, text());
    painter.drawText(area.translated(1, 1), flags, text());
  }
  painter.setPen(textColor);
  painter.drawText(area, flags, text());
}

// ---------------------------------------------------------------------------
// TkitURLLabel
// ---------------------------------------------------------------------------

TkitURLLabel::TkitURLLabel(QWidget* parent) : TkitCustomMouseLabel(parent) {
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, QColor(0, 0, 255));
  setPalette(colours);
  SetMouseDownColor(QColor(0x80, 0x00, 0x80));
  SetMouseDownEffects({TkitLabelMouseEffect::almColor, TkitLabelMouseEffect::almSound});
  SetMouseOverEffects({TkitLabelMouseEffect::almUnderline, TkitLabelMouseEffect::almSound});
  setCursor(Qt::PointingHandCursor);
}

void TkitURLLabel::Click() {
  TkitCustomMouseLabel::Click();
  OpenURL(url_);
}

std::string BuildBrowserCommand(std::string_view openCommand, std::string_view url) {
  std::string command(openCommand);
  auto placeholder = command.find("\"%1\"");
  if (placeholder == std::string::npos) {
    placeholder = command.find("%1");
  }
  if (placeholder != std::string::npos) {
    command.erase(placeholder);
  }
  command += ' ';
  command += url;
  return command;
}

std::string ReadClassesRootDefault(std::string_view key) {
  // Opened for reading only: looking up the browser must never create keys.
  const auto opened = platform::OpenKey(platform::ProcessRegistry(), platform::kRegClassesRoot, key,
                                        platform::RegOpenMode::Open);
  platform::RegValue value;
  if (!opened || opened->QueryValue("", value) != platform::RegStatus::Ok ||
      (value.type != platform::kRegSz && value.type != platform::kRegExpandSz)) {
    return {};
  }
  std::string text(value.data.begin(), value.data.end());
  return text.substr(0, text.find('\0'));
}

bool OpenURL(const QString& url) {
  const std::string progId = ReadClassesRootDefault(".htm");
  if (!progId.empty()) {
    const std::string openCommand = ReadClassesRootDefault(progId + "\\shell\\open\\command");
    if (!openCommand.empty() &&
        StartCommandLine(BuildBrowserCommand(openCommand, url.toStdString()))) {
      return true;
    }
  }
  return QDesktopServices::openUrl(QUrl::fromUserInput(url));
}

// ---------------------------------------------------------------------------
// TkitMultilineLabel
// ---------------------------------------------------------------------------

QString StripTrailingLineBreaks(QString text) {
  while (text.endsWith(kLineBreak)) {
    text.chop(kLineBreak.size());
  }
  return text;
}

TkitMultilineLabel::TkitMultilineLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
}

void TkitMultilineLabel::SetLines(const QStringList& lines) {
  lines_ = lines;
  LinesChanged();
}

void TkitMultilineLabel::LinesChanged() {
  caption_ = StripTrailingLineBreaks(lines_.join(kLineBreak));
  setText(QString(caption_).replace(kLineBreak, QStringLiteral("\n")));
  if (autoSize_) {
    AdjustBounds();
  }
}

void TkitMultilineLabel::SetAutoSize(bool value) {
  autoSize_ = value;
  if (autoSize_) {
    AdjustBounds();
  }
}

void TkitMultilineLabel::AdjustBounds() {
  const QSize size = sizeHint();
  SetBounds(x(), y(), size.width(), size.height());
}

void TkitMultilineLabel::SetBounds(int left, int top, int width, int height) {
  setGeometry(left, top, width, height);
  emit OnResize();
}

void TkitMultilineLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  emit OnMouseEnter();
}

void TkitMultilineLabel::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  emit OnMouseLeave();
}

} // namespace fegolin
