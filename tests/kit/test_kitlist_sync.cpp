// Printing on the Print Screen key and the mirroring into a partner list.
#include "tests/kit/kitlist_fixture.h"

#include <QGuiApplication>
#include <QScrollBar>

#include <string>

namespace fegolin::test {
namespace {

// Records what the list prints, one line of text per call.
class RecordingDevice final : public TkitPrintDevice {
public:
  explicit RecordingDevice(std::vector<std::string>& log, bool failAtStart = false)
      : log_(log), failAtStart_(failAtStart) {}
  void BeginDoc() override {
    if (failAtStart_) {
      throw TkitPrintError("no printer");
    }
    log_.push_back("begin");
  }
  void NewPage() override { log_.push_back("page"); }
  void TextOut(int x, int y, const QString& text) override {
    log_.push_back(std::to_string(x) + "," + std::to_string(y) + " " + text.toStdString());
  }
  void EndDoc() override { log_.push_back("end"); }

private:
  std::vector<std::string>& log_;
  bool failAtStart_;
};

class PrintTest : public KitListTest {
protected:
  void SetUp() override {
    KitListTest::SetUp();
    list->SetPrintDeviceFactory(
        [this] { return std::make_unique<RecordingDevice>(log, failAtStart); });
  }
  std::vector<std::string> log;
  bool failAtStart = false;
};

struct PageCase {
  const char* Name;
  int Lines;
  int Items;
  std::vector<std::string> Expected;
};

class PageBreakTest : public PrintTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(PageBreakTest, LinesAreHundredUnitsApartAndPagesBreakAfterPrintLines) {
  for (int i = 0; i < GetParam().Items; ++i) {
    list->AddItem(QString::number(i));
  }
  list->SetPrintLines(static_cast<std::uint8_t>(GetParam().Lines));
  list->SetPrintIndent(7);
  list->Print();
  EXPECT_EQ(log, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageBreakTest,
    ::testing::Values(PageCase{"Empty", 60, 0, {"begin", "end"}},
                      PageCase{"ExactlyOnePage", 2, 2, {"begin", "7,100 0", "7,200 1", "end"}},
                      PageCase{"BreakAfterTwoLines",
                               2,
                               5,
                               {"begin", "7,100 0", "7,200 1", "page", "7,100 2", "7,200 3", "page",
                                "7,100 4", "end"}},
                      PageCase{"NoLinesMeansOneAPageWithoutBlankFirstPage",
                               0,
                               2,
                               {"begin", "7,100 0", "page", "7,100 1", "end"}}),
    ByName());

TEST_F(PrintTest, PrintScreenKeyPrintsUnlessPrintingIsOff) {
  list->AddItem("alpha");
  list->SetPrinting(false);
  QTest::keyClick(list.get(), Qt::Key_Print);
  EXPECT_TRUE(log.empty());
  list->SetPrinting(true);
  QTest::keyClick(list.get(), Qt::Key_Print);
  EXPECT_EQ(log, (std::vector<std::string>{"begin", "5,100 alpha", "end"}));
}

TEST_F(PrintTest, FailingPrinterRestoresTheCursor) {
  list->AddItem("alpha");
  failAtStart = true;
  EXPECT_THROW(list->Print(), TkitPrintError);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  QTest::keyClick(list.get(), Qt::Key_Print); // the key handler drops the error
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// --- Mirroring ------------------------------------------------------------

class SyncTest : public KitListTest {
protected:
  void SetUp() override {
    KitListTest::SetUp();
    partner = std::make_unique<TkitCheckListBox>();
    partner->resize(300, 200);
    partner->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(partner.get()));
    for (int i = 0; i < 40; ++i) {
      const QString text = QStringLiteral("item %1").arg(i, 2, 10, QLatin1Char('0'));
      list->AddItem(text);
      partner->AddItem(text);
    }
    // Lay the items out now rather than on the next turn of the event loop,
    // so that the scroll bars have their range.
    list->doItemsLayout();
    partner->doItemsLayout();
    // Each is the other's partner: nothing may bounce back and forth.
    list->SetSyncControl(partner.get());
    partner->SetSyncControl(list.get());
  }
  std::unique_ptr<TkitCheckListBox> partner;
};

TEST_F(SyncTest, SelectionScrollingAndTopIndexReachThePartner) {
  list->SetItemIndex(3);
  EXPECT_EQ(partner->ItemIndex(), 3);
  partner->SetItemIndex(5);
  EXPECT_EQ(list->ItemIndex(), 5);
  list->SetTopIndex(12);
  EXPECT_EQ(partner->TopIndex(), 12);
  partner->verticalScrollBar()->setValue(7);
  EXPECT_EQ(list->verticalScrollBar()->value(), 7);
  Click(list->TopIndex() + 2, kOnText);
  EXPECT_EQ(partner->ItemIndex(), 9) << "a click mirrors the new current item";
}

TEST_F(SyncTest, OnlyTheChosenKindsAreMirrored) {
  list->SetSyncOptions(TListSyncOption::lsVScroll);
  list->SetItemIndex(3);
  EXPECT_EQ(partner->ItemIndex(), -1);
  list->verticalScrollBar()->setValue(4);
  EXPECT_EQ(partner->verticalScrollBar()->value(), 4);
}

TEST_F(SyncTest, PartnerReferenceNeverPointsToItselfOrADestroyedList) {
  list->SetSyncControl(list.get());
  EXPECT_EQ(list->SyncControl(), partner.get());
  partner.reset();
  EXPECT_EQ(list->SyncControl(), nullptr);
  list->SetItemIndex(2);
  EXPECT_EQ(list->ItemIndex(), 2);
}

} // namespace
} // namespace fegolin::test
