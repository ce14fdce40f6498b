#pragma once

// A check list box set up like the main window's folder list (3-D ticks,
// only a click on the glyph toggles, any number of checks, sorted, tabs
// expanded, 16-pixel items), shown on the offscreen platform, with every
// OnCheck recorded.

#include "kit/kitlist.h"

#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace fegolin::test {

struct CheckEvent {
  int Index = -1;
  bool Value = false;
  QString Text;
  friend bool operator==(const CheckEvent&, const CheckEvent&) = default;
  friend std::ostream& operator<<(std::ostream& out, const CheckEvent& e) {
    return out << "{" << e.Index << ", " << e.Value << ", " << e.Text.toStdString() << "}";
  }
};

// Names parameterised cases after the `Name` field of their parameter.
struct ByName {
  template <class Param>
  std::string operator()(const ::testing::TestParamInfo<Param>& param) const {
    return param.param.Name;
  }
};

class KitListTest : public ::testing::Test {
protected:
  void SetUp() override {
    list = std::make_unique<TkitCheckListBox>();
    list->SetGlyphStyle(TkitCheckStyle::csTick3D);
    list->SetOptions(TCheckOption::chClickGlyph | TCheckOption::chMultiSelect);
    list->SetSorted(true);
    list->SetExpandTabs(true);
    list->SetItemHeight(16);
    list->resize(300, 200);
    list->OnCheck = [this](TkitCustomCheckListBox& sender, int index, bool& value) {
      events.push_back({index, value, sender.ItemText(index)});
      if (veto) {
        value = !value;
      }
    };
    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
  }

  void AddItems(std::initializer_list<const char*> texts) {
    for (const char* text : texts) {
      list->AddItem(QString::fromUtf8(text));
    }
  }

  // Presses and releases the left button at `offset` within item `index`.
  void Click(int index, QPoint offset, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                      list->ItemRect(index).topLeft() + offset);
  }

  // Where the glyph of the folder list sits within an item.
  static constexpr QPoint kOnGlyph{8, 7};
  static constexpr QPoint kOnText{60, 7};

  std::unique_ptr<TkitCheckListBox> list;
  std::vector<CheckEvent> events;
  bool veto = false;
};

} // namespace fegolin::test
