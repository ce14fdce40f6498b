// At two device pixels per point (this test runs with QT_SCALE_FACTOR=2) the
// action images, the program icon, the check list box glyphs and the two
// pictures come with twice the pixels, keep their size in points, and are
// drawn for that density rather than blown up from their small versions.
#include "app/uImageList.h"
#include "app/uPictures.h"
#include "kit/kitlist.h"
#include "kit/kitspla.h"
#include "kit/kitfspla.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace fegolin {
namespace {

// True when every 2 x 2 block of pixels has one colour: an image of half
// the size shown at twice the size.
bool PixelDoubled(const QImage& image) {
  for (int y = 0; y + 1 < image.height(); y += 2) {
    for (int x = 0; x + 1 < image.width(); x += 2) {
      const QRgb pixel = image.pixel(x, y);
      if (image.pixel(x + 1, y) != pixel || image.pixel(x, y + 1) != pixel ||
          image.pixel(x + 1, y + 1) != pixel) {
        return false;
      }
    }
  }
  return true;
}

TEST(HighDensity, ImagesAndProgramIconAreDrawnForTheDensity) {
  ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "needs QT_SCALE_FACTOR=2";
  const TcImageList images;
  ASSERT_EQ(images.Count(), 6);
  for (int i = 0; i < images.Count(); ++i) {
    const QPixmap pixmap = images.Icon(i).pixmap(QSize(16, 16), 2.0);
    EXPECT_EQ(pixmap.size(), QSize(32, 32)) << i;
    EXPECT_FALSE(PixelDoubled(pixmap.toImage())) << i;
    // At 1.5 the drawing is rendered at 24 pixels, not scaled from 32.
    EXPECT_EQ(images.Icon(i).pixmap(QSize(16, 16), 1.5).size(), QSize(24, 24)) << i;
  }
  for (const int points : {16, 22, 24, 32}) {
    const QPixmap icon = ProgramIcon().pixmap(QSize(points, points), 2.0);
    EXPECT_EQ(icon.size(), QSize(2 * points, 2 * points)) << points;
    EXPECT_FALSE(PixelDoubled(icon.toImage())) << points;
  }
}

TEST(HighDensity, PicturesCarryTwiceThePixelsAndKeepTheirSizeInPoints) {
  struct Case {
    QImage Picture;
    QSize Points;
  };
  for (const Case& picture : {Case{SplashPicture(), {300, 200}}, Case{InfoPicture(), {90, 115}}}) {
    EXPECT_EQ(picture.Picture.size(), 2 * picture.Points);
    EXPECT_EQ(picture.Picture.deviceIndependentSize().toSize(), picture.Points);
    EXPECT_FALSE(PixelDoubled(picture.Picture));
  }

  // The splash window is as large as the picture in points, plus its bevel.
  TkitSplash splash(nullptr);
  splash.SetPicture(SplashPicture());
  splash.SetBevelWidth(3);
  splash.ShowSplash();
  ASSERT_NE(splash.SplashWindow(), nullptr);
  EXPECT_EQ(splash.SplashWindow()->size(), QSize(306, 206));
  splash.HideSplash();
}

// The box and mark come from the bitmap drawn at twice the size, pixel for
// pixel, and the glyph keeps its place and size in points.
TEST(HighDensity, CheckListBoxDrawsTheLargeGlyph) {
  const QImage large(QStringLiteral(":/kitglyphs/KITBMSCHECK@2x"), "BMP");
  ASSERT_EQ(large.size(), QSize(52, 26));
  TkitCheckListBox list;
  list.SetGlyphStyle(TkitCheckStyle::csTickSunken);
  list.SetItemHeight(16);
  list.resize(200, 100);
  list.AddItem(QStringLiteral("unchecked"));
  list.AddItem(QStringLiteral("checked"));
  list.SetCheckedAt(1, true);
  list.SetGlyphForeColor(QColor(255, 0, 255));
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));

  const QImage shown = list.viewport()->grab().toImage();
  ASSERT_EQ(shown.devicePixelRatio(), 2.0);
  for (int index = 0; index < 2; ++index) {
    const QRect glyph = list.GlyphRect(list.ItemRect(index));
    ASSERT_EQ(glyph.size(), QSize(13, 13));
    // The checked item shows the left cell, the unchecked one the right.
    const int cell = index == 1 ? 0 : 26;
    for (int y = 0; y < 26; ++y) {
      for (int x = 0; x < 26; ++x) {
        ASSERT_EQ(shown.pixel(2 * glyph.x() + x, 2 * glyph.y() + y) & RGB_MASK,
                  large.pixel(cell + x, y) & RGB_MASK)
            << index << " at " << x << "," << y;
      }
    }
  }
}

} // namespace
} // namespace fegolin
