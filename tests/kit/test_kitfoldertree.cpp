// The dialog's tree model: a folder that appears twice (inside a top folder
// and as a folder of its own) stays two consistent items while the file
// system changes below them.
#include "kit/kitfoldertree.h"
#include "tests/support/TempTree.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QPersistentModelIndex>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

// Failure messages show QStrings as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace fegolin {
namespace {

QString Native(const std::filesystem::path& path) {
  return QDir::toNativeSeparators(QString::fromStdString(path.string()));
}

TEST(TkitFolderTree, TopFoldersAndGroupWithSharedFolder) {
  test::TempTree tree;
  tree.dir("b/c");
  tree.dir("d");
  tree.file("plain.txt");
  TkitFolderTree model(
      {{Native(tree.root())}, QStringLiteral("Computer"), {Native(tree.path("b"))}, false});
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

  ASSERT_EQ(model.rowCount(), 2);
  const QModelIndex top = model.index(0, 0);
  const QModelIndex group = model.index(1, 0);
  EXPECT_EQ(model.FilePath(top), Native(tree.root()));
  EXPECT_TRUE(model.IsGroup(group));
  EXPECT_TRUE(model.FilePath(group).isEmpty());
  EXPECT_EQ(group.data().toString(), "Computer");
  ASSERT_EQ(model.rowCount(group), 1);

  // Folders only: the file never shows up.
  ASSERT_TRUE(QTest::qWaitFor([&] { return model.rowCount(top) == 2; }));
  const QModelIndex inTop = model.index(0, 0, top);
  EXPECT_EQ(model.FilePath(inTop), Native(tree.path("b")));

  // The most specific top folder wins: b below the group, not below the root.
  const QModelIndex c = model.IndexForPath(Native(tree.path("b/c")));
  ASSERT_TRUE(c.isValid());
  EXPECT_EQ(c.parent(), model.index(0, 0, group));
  EXPECT_EQ(c.parent().parent(), group);
  EXPECT_EQ(model.FilePath(c), Native(tree.path("b/c")));
  EXPECT_EQ(c.data().toString(), "c");
  EXPECT_FALSE(model.IndexForPath(Native(tree.path("plain.txt"))).isValid());
  EXPECT_FALSE(model.IndexForPath(Native(tree.path("missing"))).isValid());
}

TEST(TkitFolderTree, PersistentItemsFollowTheirFolders) {
  test::TempTree tree;
  tree.dir("m");
  tree.dir("t");
  TkitFolderTree model({{Native(tree.root())}, {}, {}, false});
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  const QModelIndex top = model.index(0, 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return model.rowCount(top) == 2; }));
  const QPersistentModelIndex t = model.IndexForPath(Native(tree.path("t")));
  ASSERT_TRUE(t.isValid());

  // A folder sorting in front of t moves it down a row.
  tree.dir("a");
  ASSERT_TRUE(QTest::qWaitFor([&] { return model.rowCount(top) == 3; }));
  EXPECT_EQ(model.FilePath(t), Native(tree.path("t")));

  std::filesystem::remove(tree.path("m"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return model.rowCount(top) == 2; }));
  EXPECT_EQ(model.FilePath(t), Native(tree.path("t")));

  std::filesystem::remove(tree.path("t"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return model.rowCount(top) == 1; }));
  EXPECT_FALSE(t.isValid());
}

} // namespace
} // namespace fegolin
