#include "app/uDeleteAnimation.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <utility>

namespace fegolin {
namespace {

constexpr int kFrames = TcDeleteAnimation::kStopFrame + 1;
// Two sheets in the air, half a loop apart.
constexpr int kSheetOffset = kFrames / 2;

// Where the picture sits: the control keeps a six-pixel margin.
constexpr QRectF kFolder(24, 32, 62, 34);
constexpr QRectF kBin(226, 32, 44, 34);
constexpr QPointF kFlightStart(55, 40);
constexpr QPointF kFlightEnd(248, 40);
constexpr double kFlightHeight = 34;

const QColor kOutline(60, 60, 60);
const QColor kFolderBack(214, 168, 48);
const QColor kFolderFront(240, 200, 90);
const QColor kBinBody(150, 160, 170);
const QColor kBinRibs(110, 120, 130);
const QColor kPaper(252, 252, 252);
const QColor kPaperLines(150, 150, 150);

void DrawFolderBack(QPainter& painter) {
  painter.setPen(QPen(kOutline, 1));
  painter.setBrush(kFolderBack);
  QPainterPath back;
  back.moveTo(kFolder.left(), kFolder.bottom());
  back.lineTo(kFolder.left(), kFolder.top() - 6);
  back.lineTo(kFolder.left() + 22, kFolder.top() - 6);
  back.lineTo(kFolder.left() + 26, kFolder.top());
  back.lineTo(kFolder.right(), kFolder.top());
  back.lineTo(kFolder.right(), kFolder.bottom());
  back.closeSubpath();
  painter.drawPath(back);
}

void DrawFolderFront(QPainter& painter) {
  painter.setPen(QPen(kOutline, 1));
  painter.setBrush(kFolderFront);
  const QPolygonF front{
      QPointF(kFolder.left(), kFolder.bottom()), QPointF(kFolder.left() + 6, kFolder.top() + 8),
      QPointF(kFolder.right() + 6, kFolder.top() + 8), QPointF(kFolder.right(), kFolder.bottom())};
  painter.drawPolygon(front);
}

void DrawBin(QPainter& painter) {
  painter.setPen(QPen(kOutline, 1));
  painter.setBrush(kBinBody);
  const QPolygonF body{QPointF(kBin.left(), kBin.top()), QPointF(kBin.right(), kBin.top()),
                       QPointF(kBin.right() - 5, kBin.bottom()),
                       QPointF(kBin.left() + 5, kBin.bottom())};
  painter.drawPolygon(body);
  painter.setPen(QPen(kBinRibs, 2));
  for (int rib = 1; rib <= 3; ++rib) {
    // The ribs lean in with the tapering sides.
    const double x = kBin.left() + kBin.width() * rib / 4.0;
    const double lean = (kBin.center().x() - x) * 0.2;
    painter.drawLine(QPointF(x, kBin.top() + 5), QPointF(x + lean, kBin.bottom() - 4));
  }
  // The lid, tipped open towards the flying sheets.
  painter.setPen(QPen(kOutline, 1));
  painter.setBrush(kBinRibs);
  painter.save();
  painter.translate(kBin.right() + 2, kBin.top() - 1);
  painter.rotate(20);
  painter.drawRect(QRectF(-kBin.width() - 4, -4, kBin.width() + 4, 4));
  painter.drawRect(QRectF(-kBin.width() / 2 - 6, -7, 12, 3));
  painter.restore();
}

// One sheet at `progress` along its flight: below 0 it is still in the
// folder, above 1 already in the bin; the fronts drawn over it hide those
// parts.
void DrawSheet(QPainter& painter, double progress) {
  const double x = kFlightStart.x() + (kFlightEnd.x() - kFlightStart.x()) * progress;
  const double y = kFlightStart.y() - 4 * kFlightHeight * progress * (1 - progress);
  painter.save();
  painter.translate(x, y);
  painter.rotate(270 * progress);
  const QRectF sheet(-6, -8, 12, 16);
  QPainterPath outline;
  outline.moveTo(sheet.topLeft());
  outline.lineTo(sheet.right() - 4, sheet.top());
  outline.lineTo(sheet.right(), sheet.top() + 4);
  outline.lineTo(sheet.bottomRight());
  outline.lineTo(sheet.bottomLeft());
  outline.closeSubpath();
  painter.setPen(QPen(kOutline, 1));
  painter.setBrush(kPaper);
  painter.drawPath(outline);
  painter.setPen(QPen(kPaperLines, 1));
  for (int line = 0; line < 3; ++line) {
    const double ly = sheet.top() + 6 + line * 3;
    painter.drawLine(QPointF(sheet.left() + 2, ly), QPointF(sheet.right() - 2, ly));
  }
  painter.restore();
}

double FlightOf(int frame) {
  // A little before leaving the folder to a little after dropping in.
  return -0.12 + 1.24 * frame / TcDeleteAnimation::kStopFrame;
}

} // namespace

TcDeleteAnimation::TcDeleteAnimation(QWidget* parent)
    : QWidget(parent), clock_([] { return std::chrono::steady_clock::now(); }) {
  setObjectName(QStringLiteral("aniProgress"));
  setFixedSize(kSize);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TcDeleteAnimation::Start() {
  active_ = true;
  frame_ = 0;
  lastStep_ = clock_();
  repaint();
}

void TcDeleteAnimation::Stop() {
  active_ = false;
  frame_ = 0;
  update();
}

void TcDeleteAnimation::Progress() {
  if (!active_) {
    return;
  }
  const TimePoint now = clock_();
  if (now - lastStep_ < kFrameInterval) {
    return;
  }
  lastStep_ = now;
  frame_ = (frame_ + 1) % kFrames;
  repaint();
}

void TcDeleteAnimation::SetClock(SteadyClock clock) {
  clock_ = std::move(clock);
}

void TcDeleteAnimation::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  painter.setRenderHint(QPainter::Antialiasing);
  DrawFolderBack(painter);
  if (active_) {
    DrawSheet(painter, FlightOf(frame_));
    DrawSheet(painter, FlightOf((frame_ + kSheetOffset) % kFrames));
  }
  DrawFolderFront(painter);
  DrawBin(painter);
}

} // namespace fegolin
