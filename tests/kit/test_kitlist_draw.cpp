// Glyph bitmaps and the owner drawing of the check list box, checked on
// the pixels the list actually paints.
#include "tests/kit/kitlist_fixture.h"

#include <QImage>
#include <QScrollBar>

#include <cstdlib>
#include <vector>

namespace fegolin::test {
namespace {

constexpr QRgb kMagenta = qRgb(255, 0, 255);
constexpr QRgb kOlive = qRgb(128, 128, 0);

bool CellContains(const QImage& glyph, int cell, QRgb colour) {
  const int width = glyph.width() / 2;
  for (int y = 0; y < glyph.height(); ++y) {
    for (int x = cell * width; x < (cell + 1) * width; ++x) {
      if ((glyph.pixel(x, y) & RGB_MASK) == (colour & RGB_MASK)) {
        return true;
      }
    }
  }
  return false;
}

struct GlyphResource {
  const char* Name;
  TkitCheckStyle Style;
  int Cell;
  bool Transparent;
};

class GlyphResourceTest : public KitListTest,
                          public ::testing::WithParamInterface<GlyphResource> {};

// Each glyph also comes at twice the size, for high-density screens.
TEST_P(GlyphResourceTest, IsASixteenColourBitmapWithTheMarkInTheLeftCell) {
  const GlyphResource& glyph = GetParam();
  for (const int scale : {1, 2}) {
    const QString suffix = scale == 1 ? QString() : QStringLiteral("@2x");
    const QImage image(QStringLiteral(":/kitglyphs/") + QLatin1String(glyph.Name) + suffix, "BMP");
    ASSERT_FALSE(image.isNull()) << scale;
    EXPECT_EQ(image.size(), scale * QSize(2 * glyph.Cell, glyph.Cell));
    EXPECT_EQ(image.colorCount(), 16);
    EXPECT_TRUE(CellContains(image, 0, kMagenta)) << "checked cell shows the mark";
    EXPECT_FALSE(CellContains(image, 1, kMagenta)) << "unchecked cell has no mark";
    EXPECT_EQ(CellContains(image, 1, kOlive), glyph.Transparent);
  }

  list->SetGlyphStyle(glyph.Style);
  EXPECT_EQ(list->Glyph(),
            QImage(QStringLiteral(":/kitglyphs/") + QLatin1String(glyph.Name), "BMP"));
  EXPECT_EQ(list->GlyphStyle(), glyph.Style);
}

INSTANTIATE_TEST_SUITE_P(
    BuiltIn, GlyphResourceTest,
    ::testing::Values(GlyphResource{"KITBMSCHECK", TkitCheckStyle::csTickSunken, 13, false},
                      GlyphResource{"KITBMFCHECK", TkitCheckStyle::csTickFlat, 13, false},
                      GlyphResource{"KITBMRCHECK", TkitCheckStyle::csTickRaised, 13, false},
                      GlyphResource{"KITBMTCHECK", TkitCheckStyle::csTickTransparent, 13, true},
                      GlyphResource{"KITBM3DCHECK", TkitCheckStyle::csTick3D, 13, false},
                      GlyphResource{"KITBMSCROSS", TkitCheckStyle::csCrossSunken, 13, false},
                      GlyphResource{"KITBMFCROSS", TkitCheckStyle::csCrossFlat, 13, false},
                      GlyphResource{"KITBMRCROSS", TkitCheckStyle::csCrossRaised, 13, false},
                      GlyphResource{"KITBMTCROSS", TkitCheckStyle::csCrossTransparent, 13, true},
                      GlyphResource{"KITBM3DCROSS", TkitCheckStyle::csCross3D, 13, false},
                      GlyphResource{"KITBMSDIAM", TkitCheckStyle::csDiamondSunken, 13, false},
                      GlyphResource{"KITBMFDIAM", TkitCheckStyle::csDiamondFlat, 13, false},
                      GlyphResource{"KITBMRDIAM", TkitCheckStyle::csDiamondRaised, 13, false},
                      GlyphResource{"KITBM3DDIAM", TkitCheckStyle::csDiamond3D, 13, false},
                      GlyphResource{"KITBMFCHECKWIN", TkitCheckStyle::csTickFlatWindows, 11,
                                    false}),
    ByName());

TEST_F(KitListTest, CustomStyleKeepsTheAssignedGlyph) {
  QImage custom(20, 10, QImage::Format_RGB32);
  custom.fill(Qt::white);
  list->SetGlyph(custom);
  EXPECT_EQ(list->GlyphStyle(), TkitCheckStyle::csCustom);
  list->SetGlyphStyle(TkitCheckStyle::csCustom);
  EXPECT_EQ(list->Glyph(), custom);
  EXPECT_EQ(list->GlyphRect(QRect(0, 0, 100, 16)), QRect(4, 3, 10, 10));
}

// --- Rendered items ---------------------------------------------------------

class RenderTest : public KitListTest {
protected:
  QRgb Pixel(int index, QPoint offset) {
    const QImage image = list->viewport()->grab().toImage();
    return image.pixel(list->ItemRect(index).topLeft() + offset) & RGB_MASK;
  }
  static QRgb Rgb(const QColor& colour) { return colour.rgb() & RGB_MASK; }
  QColor Palette(QPalette::ColorGroup group, QPalette::ColorRole role) const {
    return list->palette().color(group, role);
  }

  // In the 3-D tick glyph (placed at 4,1): a pixel of the mark, and one of
  // the white box beside it.
  static constexpr QPoint kMark{4 + 3, 1 + 5};
  static constexpr QPoint kBox{4 + 3, 1 + 3};
  inline static const QColor kFace{212, 208, 200};
};

TEST_F(RenderTest, SelectedCheckedItemHighlightsOnlyTheTextArea) {
  list->SetColor(kFace);
  list->SetGlyphForeColor(Qt::red);
  AddItems({"alpha", "beta"});
  list->SetCheckedAt(0, true);
  list->SetItemIndex(0);
  const int right = list->ItemRect(0).width() - 10;

  EXPECT_EQ(Pixel(0, kMark), Rgb(Qt::red));
  EXPECT_EQ(Pixel(0, kBox), Rgb(Qt::white));
  EXPECT_EQ(Pixel(0, {1, 8}), Rgb(kFace)) << "left of the glyph";
  EXPECT_EQ(Pixel(0, {18, 8}), Rgb(kFace)) << "between glyph and text";
  EXPECT_EQ(Pixel(0, {right, 8}), Rgb(Palette(QPalette::Active, QPalette::Highlight)));

  EXPECT_EQ(Pixel(1, kMark), Rgb(Qt::white)) << "unchecked: right cell";
  EXPECT_EQ(Pixel(1, {right, 8}), Rgb(kFace));
}

TEST_F(RenderTest, DisabledItemsTakeTheGreyGlyph) {
  list->SetGlyphForeColor(Qt::red);
  AddItems({"alpha"});
  list->SetCheckedAt(0, true);
  list->SetDisabledAt(0, true);
  EXPECT_EQ(Pixel(0, kMark), Rgb(Palette(QPalette::Disabled, QPalette::Text)));
  list->SetDisabledItemsGrayed(false);
  EXPECT_EQ(Pixel(0, kMark), Rgb(Qt::red));
}

TEST_F(RenderTest, OliveTakesTheListColourAlsoAfterItChanges) {
  list->SetGlyphStyle(TkitCheckStyle::csTickTransparent);
  AddItems({"alpha"});
  list->SetColor(kFace);
  EXPECT_EQ(Pixel(0, kBox), Rgb(kFace));
  list->SetColor(Qt::cyan);
  EXPECT_EQ(Pixel(0, kBox), Rgb(Qt::cyan));
  EXPECT_EQ(list->GlyphStyle(), TkitCheckStyle::csTickTransparent);
}

TEST_F(RenderTest, EmptyGlyphDrawsNoMark) {
  list->SetColor(kFace);
  AddItems({"alpha"});
  list->SetCheckedAt(0, true);
  list->SetGlyph(QImage());
  for (const QPoint at : {kMark, kBox}) {
    EXPECT_EQ(Pixel(0, at), Rgb(kFace));
  }
}

TEST_F(RenderTest, RightAlignedGlyphMovesToTheRightEdge) {
  list->SetGlyphForeColor(Qt::red);
  list->SetGlyphAlignH(TkitGlyphAlignH::gahRight);
  list->SetGlyphAlignV(TkitGlyphAlignV::gavTop);
  AddItems({"alpha"});
  list->SetCheckedAt(0, true);
  const QRect item = list->ItemRect(0);
  const QRect glyph = list->GlyphRect(item);
  EXPECT_EQ(glyph, QRect(item.right() + 1 - 13 - 4, item.top(), 13, 13));
  EXPECT_EQ(Pixel(0, glyph.topLeft() - item.topLeft() + QPoint(3, 5)), Rgb(Qt::red));
}

// Where the second field of each item starts, told by the pixels: the
// first ink after a blank run of at least `gap` pixels; -1 when there is
// none.
int SecondFieldStart(const QImage& image, const QRect& text, QRgb background, int gap) {
  int blank = 0;
  bool inked = false;
  for (int x = text.left(); x <= text.right(); ++x) {
    bool ink = false;
    for (int y = text.top(); y <= text.bottom() && !ink; ++y) {
      ink = (image.pixel(x, y) & RGB_MASK) != background;
    }
    if (ink && inked && blank >= gap) {
      return x;
    }
    blank = ink ? 0 : blank + 1;
    inked = inked || ink;
  }
  return -1;
}

TEST_F(RenderTest, TabColumnsLineUpTheFieldsWithAGapThatNeverVanishes) {
  list->SetColor(kFace);
  list->SetTabColumns(true);
  AddItems({"A\t(/a)", "Meine Downloads\t(/tmp/scratch/Downloads)",
            "Ein sehr langer Name, der nicht in seine Spalte "
            "passt\t(/srv/ein/sehr/langer/Pfad/bis/hier)"});
  list->doItemsLayout();
  const QImage image = list->viewport()->grab().toImage();
  std::vector<int> starts;
  for (int i = 0; i < list->ItemCount(); ++i) {
    starts.push_back(SecondFieldStart(image, list->TextRect(list->ItemRect(i)), Rgb(kFace), 8));
  }
  ASSERT_NE(starts.front(), -1);
  EXPECT_EQ(starts, std::vector<int>(starts.size(), starts.front()));
  EXPECT_LE(starts.front(), list->viewport()->width() * 2 / 3)
      << "a long name leaves the path room";
  EXPECT_EQ(list->IndexOfItem(QStringLiteral("Meine Downloads\t(/tmp/scratch/Downloads)")), 2)
      << "texts stay";
}

// A greyed item is only drawn apart: it toggles, and its look and hint stay
// with the item, not its place or text, while other items sort in around it
// and it is renamed out of order.
TEST_F(RenderTest, AGreyedItemKeepsLookAndHintWhereverItStandsAndStillToggles) {
  list->SetFontColor(Qt::blue);
  QPalette palette = list->palette();
  palette.setColor(QPalette::Disabled, QPalette::Text, Qt::red);
  list->setPalette(palette);
  AddItems({"HHHH", "MMMM"});
  list->SetItemText(1, QStringLiteral("AAAA"));
  list->SetGrayedAt(1, true);
  list->SetItemHint(1, QStringLiteral("why"));
  AddItems({"BBBB"});
  ASSERT_EQ(list->ItemText(1), QStringLiteral("AAAA")) << "the renamed item kept its place";
  const int greyed = 1;
  const int plain = list->IndexOfItem(QStringLiteral("BBBB"));

  // Whether the text of an item is drawn in `colour`: some pixel of it
  // comes close, whatever the smoothing of the glyph edges left.
  const auto drawnIn = [this](int index, const QColor& colour) {
    // The view lays out the items added last when it next gets to its
    // events.
    QCoreApplication::processEvents();
    const QImage image = list->viewport()->grab().toImage();
    const QRect text = list->TextRect(list->ItemRect(index));
    for (int y = text.top(); y <= text.bottom(); ++y) {
      for (int x = text.left(); x <= text.right(); ++x) {
        const QColor pixel = image.pixelColor(x, y);
        if (std::abs(pixel.red() - colour.red()) < 64 &&
            std::abs(pixel.green() - colour.green()) < 64 &&
            std::abs(pixel.blue() - colour.blue()) < 64) {
          return true;
        }
      }
    }
    return false;
  };
  EXPECT_TRUE(drawnIn(greyed, Qt::red));
  EXPECT_FALSE(drawnIn(greyed, Qt::blue));
  EXPECT_TRUE(drawnIn(plain, Qt::blue));
  EXPECT_FALSE(list->IsGrayedAt(plain));
  EXPECT_EQ(list->ItemHint(greyed), QStringLiteral("why"));
  EXPECT_EQ(list->ItemHint(plain), QString());
  list->SetGrayedAt(greyed, false);
  EXPECT_TRUE(drawnIn(greyed, Qt::blue));

  list->SetGrayedAt(greyed, true);
  Click(greyed, kOnGlyph);
  EXPECT_TRUE(list->IsCheckedAt(greyed));
}

// --- Colours, heights -------------------------------------------------------

TEST_F(KitListTest, CheckedColourFollowsTheFontColourUntilToldNot) {
  list->SetFontColor(Qt::blue);
  EXPECT_EQ(list->CheckedColor(), QColor(Qt::blue));
  list->SetCheckedColorChange(false);
  list->SetFontColor(Qt::darkGreen);
  EXPECT_EQ(list->CheckedColor(), QColor(Qt::blue));
  list->SetCheckedColorChange(true);
  EXPECT_EQ(list->CheckedColor(), QColor(Qt::darkGreen));
}

TEST_F(KitListTest, WordWrapGivesLongTextsTallerItems) {
  const int shortOne = list->AddItem("a short one");
  const int longOne =
      list->AddItem("the long text that cannot fit on one line of this narrow list, so it wraps");
  EXPECT_EQ(list->ItemRect(shortOne).height(), 16);
  list->SetWordWrap(true);
  const int line = QFontMetrics(list->font()).height();
  EXPECT_EQ(list->ItemRect(shortOne).height(), line);
  EXPECT_GE(list->ItemRect(longOne).height(), 2 * line);
  list->SetWordWrap(false);
  EXPECT_EQ(list->ItemRect(longOne).height(), 16);
  list->SetItemHeight(20);
  EXPECT_EQ(list->ItemRect(longOne).height(), 20);
}

TEST_F(KitListTest, ScrollWidthGivesASidewaysExtentAndEndsColumns) {
  for (int i = 0; i < 14; ++i) {
    list->AddItem(QStringLiteral("item %1").arg(i, 2, 10, QLatin1Char('0')));
  }
  list->SetColumns(2);
  list->doItemsLayout();
  EXPECT_EQ(list->ItemRect(0).width(), list->viewport()->width() / 2);
  EXPECT_GT(list->ItemRect(13).left(), 0) << "later items flow into the next column";

  list->SetScrollWidth(700);
  list->doItemsLayout();
  EXPECT_EQ(list->Columns(), 0);
  EXPECT_EQ(list->ItemRect(13).left(), 0);
  EXPECT_EQ(list->horizontalScrollBar()->maximum(), 700 - list->viewport()->width());

  list->SetScrollWidth(0);
  EXPECT_EQ(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(KitListTest, ChangesWhileHiddenKeepCurrentItemAndMarks) {
  AddItems({"beta", "alpha", "gamma"});
  list->SetCheckedAt(2, true);
  list->SetItemIndex(1);
  list->hide();
  list->SetSorted(false);
  list->AddItem("aardvark");
  list->SetOptions(TCheckOption::chClick | TCheckOption::chExtendedSelect);
  list->SetColumns(2);
  list->SetColumns(0);
  list->show();
  EXPECT_EQ(list->ItemText(list->ItemIndex()), "beta");
  EXPECT_TRUE(list->GetChecked("gamma"));
  EXPECT_EQ(list->ItemText(3), "aardvark") << "unsorted lists append";
}

} // namespace
} // namespace fegolin::test
