#include "kit/kitcompf.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace fegolin {
namespace {

// Counts the form's resizes.
class Form : public QWidget {
public:
  int resizes = 0;

protected:
  void resizeEvent(QResizeEvent* event) override {
    ++resizes;
    QWidget::resizeEvent(event);
  }
};

class FormSizer : public ::testing::Test {
protected:
  FormSizer() {
    form.resize(300, 200);
    form.move(100, 100);
    form.show();
    QCoreApplication::processEvents();
  }

  // Lets queued corrections run.
  static void Settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
  }

  Form form;
  TkitFormSizer* sizer = new TkitFormSizer(&form);
};

// --- Coupling ---------------------------------------------------------------

struct CouplingCase {
  std::string name;
  std::function<void(TkitFormSizer&)> act;
  int widthMin;
  int widthMax;
};

class FormSizerCoupling : public ::testing::TestWithParam<CouplingCase> {};

TEST_P(FormSizerCoupling, KeepsMinimumAndMaximumInOrder) {
  QWidget form;
  TkitFormSizer sizer(&form);
  GetParam().act(sizer);
  EXPECT_EQ(sizer.WidthMin(), GetParam().widthMin);
  EXPECT_EQ(sizer.WidthMax(), GetParam().widthMax);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, FormSizerCoupling,
    ::testing::Values(CouplingCase{"MinAboveMaxRaisesMax",
                                   [](TkitFormSizer& s) {
                                     s.SetWidthMax(400);
                                     s.SetWidthMin(500);
                                   },
                                   500, 500},
                      CouplingCase{"MinWithoutMaxLeavesMaxOpen",
                                   [](TkitFormSizer& s) { s.SetWidthMin(500); }, 500, -1},
                      CouplingCase{"MaxBelowMinLowersMin",
                                   [](TkitFormSizer& s) {
                                     s.SetWidthMin(500);
                                     s.SetWidthMax(300);
                                   },
                                   300, 300},
                      CouplingCase{"MaxWithoutMinLeavesMinOpen",
                                   [](TkitFormSizer& s) { s.SetWidthMax(300); }, -1, 300},
                      CouplingCase{"ClearingALimitTouchesNoPartner",
                                   [](TkitFormSizer& s) {
                                     s.SetWidthMin(200);
                                     s.SetWidthMax(300);
                                     s.SetWidthMax(-1);
                                   },
                                   200, -1},
                      CouplingCase{"NegativeSizeMeansNoLimit",
                                   [](TkitFormSizer& s) {
                                     s.SetWidthMin(200);
                                     s.SetWidthMin(-40);
                                   },
                                   -1, -1}),
    [](const auto& param) { return param.param.name; });

// --- Limits in force --------------------------------------------------------

TEST_F(FormSizer, LimitsActOnlyOnceLoaded) {
  sizer->SetWidthMin(400);
  EXPECT_EQ(form.width(), 300);
  sizer->Loaded();
  EXPECT_EQ(form.width(), 400);
}

TEST_F(FormSizer, RaisingAMinimumAboveTheSizeWidensAtOnceLoweringItDoesNot) {
  sizer->Loaded();
  sizer->SetWidthMin(450);
  EXPECT_EQ(form.width(), 450);
  sizer->SetWidthMin(320);
  EXPECT_EQ(form.width(), 450);
  sizer->SetHeightMax(150);
  EXPECT_EQ(form.height(), 150);
}

TEST_F(FormSizer, TheWindowManagerGetsTheLimitsAsSizeHints) {
  sizer->SetMinBounds(-1, -1, 250, 150);
  sizer->SetMaxBounds(-1, -1, 800, 600);
  sizer->Loaded();
  EXPECT_EQ(form.windowHandle()->minimumSize(), QSize(250, 150));
  EXPECT_EQ(form.windowHandle()->maximumSize(), QSize(800, 600));
  sizer->SetEnabled(false);
  EXPECT_EQ(form.windowHandle()->minimumSize(), QSize(0, 0));
  EXPECT_EQ(form.windowHandle()->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

TEST_F(FormSizer, ProgramResizesStayWithinTheLimits) {
  sizer->SetMinBounds(-1, -1, 250, 150);
  sizer->SetMaxBounds(-1, -1, 500, 400);
  sizer->Loaded();
  form.resize(1000, 1000);
  EXPECT_EQ(form.size(), QSize(500, 400));
  form.setGeometry(QRect(form.pos(), QSize(10, 10)));
  EXPECT_EQ(form.size(), QSize(250, 150));
}

TEST_F(FormSizer, DisabledSizerAllowsAnySizeAndReEnablingSnapsBack) {
  sizer->SetMaxBounds(-1, -1, 500, 400);
  sizer->Loaded();
  sizer->SetEnabled(false);
  form.resize(700, 700);
  EXPECT_EQ(form.size(), QSize(700, 700));
  sizer->SetEnabled(true);
  EXPECT_EQ(form.size(), QSize(500, 400));
}

TEST_F(FormSizer, MaximizedWindowTakesTheMaximumPlaceAndSize) {
  sizer->SetMaxBounds(40, 50, 400, 300);
  sizer->Loaded();
  form.showMaximized();
  Settle();
  EXPECT_EQ(form.pos(), QPoint(40, 50));
  EXPECT_LE(form.width(), 400);
  EXPECT_LE(form.height(), 300);
  form.move(10, 20);
  Settle();
  EXPECT_EQ(form.pos(), QPoint(10, 20)) << "a normal window moves freely below the maximum";
}

TEST_F(FormSizer, MovesArePutBackWithinLeftAndTopLimits) {
  sizer->SetMinBounds(50, 60, -1, -1);
  sizer->SetMaxBounds(200, 210, -1, -1);
  sizer->Loaded();
  form.move(500, 10);
  Settle();
  EXPECT_EQ(form.pos(), QPoint(200, 60));
  form.move(120, 130);
  Settle();
  EXPECT_EQ(form.pos(), QPoint(120, 130));
}

TEST_F(FormSizer, BatchFitsTheFormOnce) {
  sizer->Loaded();
  form.resizes = 0;
  sizer->SetMinBounds(-1, -1, 400, 300);
  Settle();
  EXPECT_EQ(form.size(), QSize(400, 300));
  EXPECT_EQ(form.resizes, 1);
}

TEST_F(FormSizer, LimitsHoldAfterTheNativeWindowIsRebuilt) {
  sizer->SetMaxBounds(-1, -1, 500, 400);
  sizer->Loaded();
  form.setWindowFlags(form.windowFlags() | Qt::WindowStaysOnTopHint);
  form.show();
  form.resize(900, 900);
  Settle();
  EXPECT_EQ(form.size(), QSize(500, 400));
  EXPECT_EQ(form.windowHandle()->maximumSize(), QSize(500, 400));
}

// --- Initial position and size ---------------------------------------------

struct InitialCase {
  std::string name;
  TkitInitialPosSize pos;
  TkitInitialPosSize size;
  QPoint expectedPos;
  QSize expectedSize;
};

class FormSizerInitial : public ::testing::TestWithParam<InitialCase> {};

TEST_P(FormSizerInitial, TakesPositionAndSizeFromTheLimits) {
  QWidget form;
  form.setGeometry(100, 100, 300, 200);
  auto* sizer = new TkitFormSizer(&form);
  sizer->SetMinBounds(10, -1, 250, 150); // top minimum not set
  sizer->SetMaxBounds(40, 50, 800, -1);  // height maximum not set
  sizer->SetInitialFormPos(GetParam().pos);
  sizer->SetInitialFormSize(GetParam().size);
  sizer->Loaded();
  EXPECT_EQ(form.pos(), GetParam().expectedPos);
  EXPECT_EQ(form.size(), GetParam().expectedSize);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FormSizerInitial,
    ::testing::Values(InitialCase{"Minimum", TkitInitialPosSize::ipsMin, TkitInitialPosSize::ipsMin,
                                  QPoint(10, 100), QSize(250, 150)},
                      // The maximum width; the height stays, then meets the minimum.
                      InitialCase{"Maximum", TkitInitialPosSize::ipsMax, TkitInitialPosSize::ipsMax,
                                  QPoint(40, 50), QSize(800, 200)}),
    [](const auto& param) { return param.param.name; });

TEST(FormSizerMainWindow, OpensAtTheDesignMinimumThenWidensToTheRuntimeOne) {
  QWidget form;
  form.resize(600, 500);
  auto* sizer = new TkitFormSizer(&form);
  sizer->SetHeightMax(2000);
  sizer->SetHeightMin(444);
  sizer->SetInitialFormSize(TkitInitialPosSize::ipsMin);
  sizer->SetWidthMax(2000);
  sizer->SetWidthMin(320);
  sizer->Loaded();
  EXPECT_EQ(form.size(), QSize(320, 444));

  sizer->SetHeightMin(305);
  sizer->SetWidthMin(452);
  EXPECT_EQ(form.size(), QSize(452, 444));
  form.resize(100, 100);
  EXPECT_EQ(form.size(), QSize(452, 305));
}

} // namespace
} // namespace fegolin
