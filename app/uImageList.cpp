#include "app/uImageList.h"

#include "kit/kitjpeg.h"

#include <QApplication>
#include <QDir>
#include <QIconEngine>
#include <QMap>
#include <QPainter>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <optional>
#include <utility>

// The images come from a static archive; referencing the resource's
// initialiser keeps them in the program. Q_INIT_RESOURCE belongs in the
// global namespace, where rcc defines the initialiser.
static void InitMainImages() {
  Q_INIT_RESOURCE(fegolin_main_images);
}
static void InitProgramIcon() {
  Q_INIT_RESOURCE(fegolin_icon);
}

namespace fegolin {
namespace {

// An action image made on its first use. Qt's SVG icon engine parses the
// drawing as soon as the icon is made, and reading its pixel version then
// loads every image-format plugin; a program that waits in the notification
// area and never shows its window needs neither.
class DeferredActionIcon final : public QIconEngine {
public:
  explicit DeferredActionIcon(QString name) : name_(std::move(name)) {}

  QIconEngine* clone() const override { return new DeferredActionIcon(name_); }
  QString key() const override { return QStringLiteral("FegolinActionImage"); }
  bool isNull() override { return false; }

  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().actualSize(size, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Icon().availableSizes(mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().pixmap(size, 1.0, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    // `size` is in device pixels here; the icon wants points.
    return Icon().pixmap((QSizeF(size) / scale).toSize(), scale, mode, state);
  }
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }

private:
  // Qt's SVG icon engine renders the drawing at each size and density
  // asked for, and hands out the pixel image unchanged where its size is
  // asked for exactly: at one device pixel per point.
  const QIcon& Icon() {
    if (!icon_) {
      icon_.emplace(QStringLiteral(":/images/main/%1.svg").arg(name_));
      icon_->addFile(QStringLiteral(":/images/main/%1.png").arg(name_), QSize(16, 16));
    }
    return *icon_;
  }

  QString name_;
  std::optional<QIcon> icon_;
};

// The program icon from its PNG files, one per size (side in pixels). A
// pixmap is decoded when it is asked for, from the file of the smallest size
// at least as large (else the largest), and not kept: the tray icon needs
// one size, and the drawing's SVG engine is not loaded for it.
class ProgramIconEngine final : public QIconEngine {
public:
  explicit ProgramIconEngine(QMap<int, QString> files) : files_(std::move(files)) {}

  QIconEngine* clone() const override { return new ProgramIconEngine(files_); }
  QString key() const override { return QStringLiteral("FegolinProgramIcon"); }
  bool isNull() override { return files_.isEmpty(); }

  QList<QSize> availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
    QList<QSize> sizes;
    for (const int side : files_.keys()) {
      sizes.append(QSize(side, side));
    }
    return sizes;
  }

  // Never larger than asked for, nor than the largest file.
  QSize actualSize(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
    const int side =
        files_.isEmpty() ? 0 : std::min({size.width(), size.height(), files_.lastKey()});
    return side > 0 ? QSize(side, side) : QSize();
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    const QSize actual = actualSize(size, mode, state);
    if (actual.isEmpty()) {
      return {};
    }
    auto file = files_.lowerBound(actual.width());
    if (file == files_.end()) {
      --file;
    }
    QImage image = LoadBuiltInImage(file.value(), "png");
    if (!image.isNull() && image.size() != actual) {
      image = image.scaled(actual, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    QPixmap picture = QPixmap::fromImage(std::move(image));
    // Disabled and selected pictures are the style's, as for any icon.
    if ((mode == QIcon::Disabled || mode == QIcon::Selected) && !picture.isNull() &&
        qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
      QStyleOption option;
      option.palette = QApplication::palette();
      picture = QApplication::style()->generatedIconPixmap(mode, picture, &option);
    }
    return picture;
  }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = painter->device()->devicePixelRatio();
    painter->drawPixmap(rect, pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state));
  }

private:
  QMap<int, QString> files_;
};

} // namespace

TcImageList::TcImageList() {
  InitMainImages();
  for (const char* name : {"0_add_directory", "1_save", "2_delete_entry", "3_delete_all",
                           "4_rename_entry", "5_default_entries"}) {
    icons_.append(QIcon(new DeferredActionIcon(QLatin1String(name))));
  }
}

QIcon TcImageList::Icon(int index) const {
  return index >= 0 && index < icons_.size() ? icons_.at(index) : QIcon();
}

QIcon ProgramIcon() {
  InitProgramIcon();
  QMap<int, QString> files;
  const QDir folder(QStringLiteral(":/icons"));
  for (const QString& name : folder.entryList(QDir::Files)) {
    const QString path = folder.filePath(name);
    const QSize size = BuiltInImageSize(path, "png");
    if (size.isValid() && size.width() == size.height()) {
      files.insert(size.width(), path);
    }
  }
  return QIcon(new ProgramIconEngine(std::move(files)));
}

} // namespace fegolin
