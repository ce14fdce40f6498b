// Check marks of the check list box: toggling, the OnCheck veto, marks kept
// by text through sorting and deletion, single-check mode and the options.
#include "tests/kit/kitlist_fixture.h"

#include <QKeyEvent>

namespace fegolin::test {
namespace {

using enum TCheckOption;
using Events = std::vector<CheckEvent>;

// --- Releasing the button on the glyph, pixel by pixel --------------------

struct GlyphPoint {
  const char* Name;
  QPoint Offset;
  bool Toggles;
};

class GlyphClickTest : public KitListTest, public ::testing::WithParamInterface<GlyphPoint> {};

TEST_P(GlyphClickTest, OnlyTheGlyphRectangleToggles) {
  AddItems({"alpha", "beta"});
  Click(1, GetParam().Offset);
  EXPECT_EQ(list->ItemIndex(), 1) << "a click anywhere on the item selects it";
  EXPECT_EQ(list->IsCheckedAt(1), GetParam().Toggles);
  EXPECT_EQ(events, (GetParam().Toggles ? Events{{1, true, "beta"}} : Events{}));
}

INSTANTIATE_TEST_SUITE_P(FolderList, GlyphClickTest,
                         ::testing::Values(GlyphPoint{"LeftEdge", {4, 7}, true},
                                           GlyphPoint{"LeftOfGlyph", {3, 7}, false},
                                           GlyphPoint{"RightEdge", {16, 7}, true},
                                           GlyphPoint{"RightOfGlyph", {17, 7}, false},
                                           GlyphPoint{"TopEdge", {10, 1}, true},
                                           GlyphPoint{"AboveGlyph", {10, 0}, false},
                                           GlyphPoint{"BottomEdge", {10, 13}, true},
                                           GlyphPoint{"BelowGlyph", {10, 14}, false},
                                           GlyphPoint{"OnText", {60, 7}, false}),
                         ByName());

TEST_F(KitListTest, SecondGlyphClickUnchecksAndReportsIt) {
  AddItems({"alpha", "beta"});
  Click(0, kOnGlyph);
  Click(0, kOnGlyph);
  EXPECT_FALSE(list->IsCheckedAt(0));
  EXPECT_EQ(events, (Events{{0, true, "alpha"}, {0, false, "alpha"}}));
}

TEST_F(KitListTest, HandlerThatChangesValueCancelsTheChange) {
  AddItems({"alpha"});
  veto = true;
  Click(0, kOnGlyph);
  EXPECT_FALSE(list->IsCheckedAt(0));
  veto = false;
  list->SetCheckedAt(0, true);
  veto = true;
  list->SetCheckedAt(0, false);
  EXPECT_TRUE(list->GetChecked("alpha"));
  EXPECT_EQ(events.size(), 3u);
}

TEST_F(KitListTest, MarksFollowTheirTextThroughSortedInsertion) {
  AddItems({"delta", "beta"});
  ASSERT_TRUE(list->SetChecked("delta", true));
  AddItems({"Alpha", "charlie"});
  EXPECT_EQ(list->ItemText(3), "delta");
  EXPECT_TRUE(list->IsCheckedAt(3));
  EXPECT_FALSE(list->IsCheckedAt(0) || list->IsCheckedAt(1) || list->IsCheckedAt(2));
  // An item added with a checked text shows checked at once.
  const int twin = list->AddItem("delta");
  EXPECT_TRUE(list->IsCheckedAt(twin));
  EXPECT_EQ(events, (Events{{1, true, "delta"}}));
}

TEST_F(KitListTest, DeletingACheckedItemReportsTheUncheckWhileItStillStands) {
  int alpha = 1;
  int beta = 2;
  list->AddItem("alpha", &alpha);
  list->AddItem("beta", &beta);
  list->SetCheckedAt(1, true);
  events.clear();
  void* objectSeen = nullptr;
  list->OnCheck = [&](TkitCustomCheckListBox& sender, int index, bool& value) {
    events.push_back({index, value, sender.ItemText(index)});
    objectSeen = sender.ItemObject(index);
  };
  list->DeleteItem(0); // unchecked: nothing to report
  EXPECT_TRUE(events.empty());
  list->DeleteItem(0);
  EXPECT_EQ(events, (Events{{0, false, "beta"}}));
  EXPECT_EQ(objectSeen, &beta);
  EXPECT_TRUE(list->CheckedItems().IsEmpty());
}

TEST_F(KitListTest, VetoedUncheckOnDeletionKeepsTheTextChecked) {
  AddItems({"alpha"});
  list->SetCheckedAt(0, true);
  veto = true;
  delete list->takeItem(0); // QListWidget's own removal takes the same road
  EXPECT_EQ(list->ItemCount(), 0);
  EXPECT_TRUE(list->GetChecked("alpha"));
}

TEST_F(KitListTest, DeletingOneOfTwoEqualItemsLeavesTheOtherChecked) {
  AddItems({"temp", "temp"});
  list->SetCheckedAt(0, true);
  events.clear();
  list->DeleteItem(0);
  EXPECT_TRUE(list->IsCheckedAt(0));
  EXPECT_TRUE(events.empty());
}

TEST_F(KitListTest, ClearingRaisesNothingAndForgetsEveryMark) {
  AddItems({"alpha", "beta"});
  list->SetCheckedAt(0, true);
  list->SetDisabledAt(1, true);
  events.clear();
  list->ClearItems();
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(list->CheckedItems().IsEmpty());
  EXPECT_TRUE(list->DisabledItems().IsEmpty());
  AddItems({"alpha"});
  EXPECT_FALSE(list->IsCheckedAt(0));
}

TEST_F(KitListTest, RenamedItemKeepsItsPlaceAndMark) {
  AddItems({"alpha", "beta", "gamma"});
  list->SetCheckedAt(0, true);
  events.clear();
  list->SetItemText(0, "zulu");
  EXPECT_EQ(list->ItemText(0), "zulu");
  EXPECT_TRUE(list->IsCheckedAt(0));
  EXPECT_FALSE(list->GetChecked("alpha"));
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(list->AddItem("delta"), 2) << "later items still sort into place";
}

TEST_F(KitListTest, SetCheckedFindsTheExactTextBeforeOtherLetterCase) {
  AddItems({"Temp", "temp"});
  EXPECT_FALSE(list->SetChecked("other", true));
  ASSERT_TRUE(list->SetChecked("temp", true));
  EXPECT_TRUE(list->GetChecked("temp"));
  EXPECT_FALSE(list->GetChecked("Temp")) << "marks compare letter case";
  ASSERT_TRUE(list->SetChecked("TEMP", true)) << "other letter case still finds an item";
  EXPECT_TRUE(list->GetChecked("Temp"));
}

TEST_F(KitListTest, ItemUnderThePointerBecomesCurrentAndEmptySpaceClearsIt) {
  AddItems({"alpha", "beta"});
  list->SetItemIndex(list->ItemAtPos(list->ItemRect(1).center()));
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_TRUE(list->Selected(1));
  const QPoint belowItems(5, 150);
  EXPECT_EQ(list->ItemAtPos(belowItems, false), 2);
  list->SetItemIndex(list->ItemAtPos(belowItems));
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_FALSE(list->Selected(1));
}

// --- Single-check mode and disabled items ---------------------------------

TEST_F(KitListTest, SingleCheckModeUnchecksTheOthersSilently) {
  list->SetOptions(chClick);
  AddItems({"alpha", "beta"});
  Click(0, kOnText);
  Click(1, kOnText);
  EXPECT_FALSE(list->IsCheckedAt(0));
  EXPECT_TRUE(list->IsCheckedAt(1));
  // Clicking the checked item again checks it anew, and says so.
  Click(1, kOnText);
  EXPECT_TRUE(list->IsCheckedAt(1));
  EXPECT_EQ(events, (Events{{0, true, "alpha"}, {1, true, "beta"}, {1, true, "beta"}}));
  // Refused: the previous check stays.
  veto = true;
  Click(0, kOnText);
  EXPECT_TRUE(list->IsCheckedAt(1));
  EXPECT_FALSE(list->IsCheckedAt(0));
}

TEST_F(KitListTest, DisabledItemNeverTogglesByMouseOrKey) {
  list->SetOptions(chClick | chSpaceKey | chMultiSelect);
  AddItems({"alpha"});
  list->SetDisabledAt(0, true);
  Click(0, kOnGlyph);
  list->SetItemIndex(0);
  QTest::keyClick(list.get(), Qt::Key_Space);
  EXPECT_FALSE(list->IsCheckedAt(0));
  EXPECT_TRUE(events.empty());
  list->SetCheckedAt(0, true);
  EXPECT_TRUE(list->IsCheckedAt(0));
}

TEST_F(KitListTest, EmptyGlyphHasNoRectangleToClick) {
  AddItems({"alpha"});
  list->SetGlyph(QImage());
  EXPECT_EQ(list->GlyphStyle(), TkitCheckStyle::csCustom);
  EXPECT_TRUE(list->GlyphRect(list->ItemRect(0)).isEmpty());
  for (int x = 0; x < 20; ++x) {
    Click(0, {x, 7});
  }
  EXPECT_TRUE(events.empty());
}

// --- Keyboard -------------------------------------------------------------

TEST_F(KitListTest, SpaceTogglesTheCurrentItemOrTheFirst) {
  AddItems({"alpha", "beta", "gamma"});
  QTest::keyClick(list.get(), Qt::Key_Space);
  EXPECT_TRUE(events.empty()) << "the folder list ignores the space bar";

  list->SetOptions(chClick | chSpaceKey | chMultiSelect);
  QTest::keyClick(list.get(), Qt::Key_Space);
  list->SetItemIndex(2);
  QTest::keyClick(list.get(), Qt::Key_Space);
  EXPECT_EQ(events, (Events{{0, true, "alpha"}, {2, true, "gamma"}}));
}

struct RangeCase {
  const char* Name;
  bool ShiftRange;
  Qt::KeyboardModifiers Modifiers;
  std::vector<bool> Checked;
};

class RangeToggleTest : public KitListTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(RangeToggleTest, SpaceTogglesEverySelectedItem) {
  TkitCheckOptions options = chClick | chSpaceKey | chExtendedSelect;
  if (GetParam().ShiftRange) {
    options |= chShiftRange;
  }
  list->SetOptions(options);
  ASSERT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
  AddItems({"a", "b", "c", "d"});
  list->SetCheckedAt(0, true);
  list->SetDisabledAt(3, true);
  for (int i : {0, 1, 3}) {
    list->SetSelected(i, true);
  }
  list->SetItemIndex(1);
  QTest::keyClick(list.get(), Qt::Key_Space, GetParam().Modifiers);
  std::vector<bool> checked;
  for (int i = 0; i < list->ItemCount(); ++i) {
    checked.push_back(list->IsCheckedAt(i));
  }
  EXPECT_EQ(checked, GetParam().Checked);
}

INSTANTIATE_TEST_SUITE_P(
    Extended, RangeToggleTest,
    ::testing::Values(
        RangeCase{"AllSelected", false, {}, {false, true, false, false}},
        RangeCase{"ShiftRangeWithoutShiftOnlyCurrent", true, {}, {true, true, false, false}},
        RangeCase{"ShiftRangeWithShift", true, Qt::ShiftModifier, {false, true, false, false}}),
    ByName());

// --- Options --------------------------------------------------------------

struct OptionsCase {
  const char* Name;
  TkitCheckOptions Start;
  TkitCheckOptions Assigned;
  TkitCheckOptions Expected;
  QAbstractItemView::SelectionMode Mode;
};

class OptionsTest : public KitListTest, public ::testing::WithParamInterface<OptionsCase> {};

TEST_P(OptionsTest, AssignmentNormalises) {
  list->SetOptions(GetParam().Start);
  list->SetOptions(GetParam().Assigned);
  EXPECT_EQ(list->Options(), GetParam().Expected);
  EXPECT_EQ(list->selectionMode(), GetParam().Mode);
}

constexpr TkitCheckOptions kDefault = chClick | chSpaceKey | chMultiSelect;

INSTANTIATE_TEST_SUITE_P(
    Rules, OptionsTest,
    ::testing::Values(
        OptionsCase{"FolderListFromDefault", kDefault, chClickGlyph | chMultiSelect,
                    chClickGlyph | chMultiSelect, QAbstractItemView::SingleSelection},
        OptionsCase{"GlyphAddedToClickWins", kDefault, kDefault | chClickGlyph,
                    chClickGlyph | chSpaceKey | chMultiSelect, QAbstractItemView::SingleSelection},
        OptionsCase{"ClickAddedToGlyphWins", chClickGlyph, chClickGlyph | chClick, chClick,
                    QAbstractItemView::SingleSelection},
        OptionsCase{"DoubleClickAddedWins", kDefault, kDefault | chDblClick,
                    chDblClick | chSpaceKey | chMultiSelect, QAbstractItemView::SingleSelection},
        OptionsCase{"ExtendedBringsMultiSelect", chClick, chClick | chExtendedSelect,
                    chClick | chExtendedSelect | chMultiSelect,
                    QAbstractItemView::ExtendedSelection},
        OptionsCase{"DroppingExtendedEndsExtendedSelection",
                    chClick | chExtendedSelect | chMultiSelect, chClick | chMultiSelect,
                    chClick | chMultiSelect, QAbstractItemView::SingleSelection}),
    ByName());

TEST_F(KitListTest, DroppingMultiSelectChecksTheCurrentItemAnewAndFreesTheDisabled) {
  AddItems({"a", "b", "c"});
  for (int i = 0; i < 3; ++i) {
    list->SetCheckedAt(i, true);
  }
  list->SetDisabledAt(2, true);
  list->SetItemIndex(1);
  events.clear();
  list->SetOptions(chClick);
  EXPECT_EQ(list->CheckedItems().Count(), 1);
  EXPECT_TRUE(list->IsCheckedAt(1));
  EXPECT_TRUE(list->DisabledItems().IsEmpty());
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(events, (Events{{1, true, "b"}}));

  // A refused re-check leaves no item checked.
  list->SetOptions(chClick | chMultiSelect);
  list->SetCheckedAt(0, true);
  veto = true;
  list->SetOptions(chClick);
  EXPECT_TRUE(list->CheckedItems().IsEmpty());
}

// --- Assigning the mark lists ---------------------------------------------

TEST_F(KitListTest, AssigningUnknownTextsFailsAndKeepsTheLists) {
  AddItems({"alpha", "beta"});
  list->SetCheckedAt(0, true);
  TkitStringList value;
  value.Add("beta");
  value.Add("missing");
  try {
    list->SetCheckedItems(value);
    FAIL() << "no error";
  } catch (const TkitListError& error) {
    EXPECT_STREQ(error.what(), "Value does not exist in Items");
  }
  EXPECT_THROW(list->SetDisabledItems(value), TkitListError);
  EXPECT_TRUE(list->IsCheckedAt(0));
  EXPECT_FALSE(list->IsCheckedAt(1));
  EXPECT_TRUE(list->DisabledItems().IsEmpty());
}

TEST_F(KitListTest, AssigningMarksRaisesNoEventAndHonoursSingleCheck) {
  int object = 0;
  AddItems({"alpha", "beta"});
  TkitStringList value;
  value.Add("beta", &object);
  value.Add("alpha");
  events.clear();
  list->SetCheckedItems(value);
  EXPECT_EQ(list->CheckedItems(), value);
  list->SetCheckedItems(list->CheckedItems());
  EXPECT_EQ(list->CheckedItems(), value);

  list->SetOptions(chClick);
  list->SetCheckedItems(value);
  ASSERT_EQ(list->CheckedItems().Count(), 1);
  EXPECT_EQ(list->CheckedItems().Strings(0), "beta");
  EXPECT_EQ(list->CheckedItems().Objects(0), &object);
  EXPECT_TRUE(events.empty());

  list->Loaded();
  EXPECT_EQ(list->ItemIndex(), 1) << "the first checked item becomes current";
}

} // namespace
} // namespace fegolin::test
