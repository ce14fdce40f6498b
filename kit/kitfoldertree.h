#pragma once

// The item model behind the folder dialog's tree view.

#include <QAbstractItemModel>
#include <QPersistentModelIndex>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <utility>
#include <vector>

class QFileSystemModel;

namespace fegolin {

// What the tree shows at its top: some folders, then optionally one group
// item without a path (the computer) that holds more folders.
struct TkitFolderTreeLayout {
  QStringList TopFolders;
  QString GroupName; // empty: no group item
  QStringList GroupFolders;
  bool Expanded = false; // the view opens with the top level expanded
};

// A single-column tree over the file system, restricted to folders, with the
// top level described by a TkitFolderTreeLayout. Every top folder is browsed
// through a QFileSystemModel of its own, so a folder that also lies inside
// another top folder (the home folder below "/") shows up in both places as
// two independent items.
class TkitFolderTree final : public QAbstractItemModel {
  Q_OBJECT

public:
  explicit TkitFolderTree(const TkitFolderTreeLayout& layout, QObject* parent = nullptr);
  ~TkitFolderTree() override;

  [[nodiscard]] QModelIndex index(int row, int column,
                                  const QModelIndex& parent = {}) const override;
  [[nodiscard]] QModelIndex parent(const QModelIndex& child) const override;
  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] bool hasChildren(const QModelIndex& parent = {}) const override;
  [[nodiscard]] bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The folder an item stands for, with native separators; empty for the
  // group item and for invalid indexes.
  [[nodiscard]] QString FilePath(const QModelIndex& index) const;
  [[nodiscard]] bool IsGroup(const QModelIndex& index) const;
  [[nodiscard]] QModelIndex GroupIndex() const;
  // The item of an existing folder, found below the most specific top folder
  // that holds it; invalid when the folder does not exist or lies outside.
  [[nodiscard]] QModelIndex IndexForPath(const QString& path) const;

private:
  // What a proxy index's internal pointer refers to: the parent it hangs
  // below. Top and Group are the two fixed lists; Source stands for the
  // children of one folder of one top folder's model.
  struct Parent {
    enum class Kind { Top, Group, Source } kind;
    int anchor = -1;
    QPersistentModelIndex source;
  };
  struct Anchor {
    QString path;
    QFileSystemModel* model = nullptr;
    QPersistentModelIndex index;
  };
  // What a structural change of a source model turns into here.
  enum class Pending { Ignored, Inserting, Removing, Resetting };

  void Connect(int anchor);
  [[nodiscard]] int TopRows() const;
  [[nodiscard]] static Parent* Desc(const QModelIndex& index);
  [[nodiscard]] int AnchorOf(const QModelIndex& index) const;
  [[nodiscard]] QModelIndex SourceIndex(const QModelIndex& index) const;
  [[nodiscard]] QModelIndex AnchorProxy(int anchor) const;
  [[nodiscard]] QModelIndex ProxyFromSource(int anchor, const QModelIndex& source) const;
  [[nodiscard]] bool Below(int anchor, const QModelIndex& source) const;
  [[nodiscard]] bool RangeHoldsAnchor(int anchor, const QModelIndex& parent, int first,
                                      int last) const;
  Parent* MappingFor(int anchor, const QModelIndex& sourceParent) const;

  void SourceRowsAboutToChange(int anchor, const QModelIndex& parent, int first, int last,
                               bool inserting);
  void SourceRowsChanged();
  void SourceLayoutAboutToChange();
  void SourceLayoutChanged();
  void SourceDataChanged(int anchor, const QModelIndex& topLeft, const QModelIndex& bottomRight,
                         const QList<int>& roles);

  std::vector<Anchor> anchors_;
  int topCount_ = 0;
  QString groupName_;
  Parent top_{Parent::Kind::Top, -1, {}};
  Parent group_{Parent::Kind::Group, -1, {}};
  // Keyed by anchor and the source parent's node; a mapping whose source
  // went away is rebound when its key turns up again, never freed early,
  // so no index handed out can dangle.
  mutable std::map<std::pair<int, const void*>, std::unique_ptr<Parent>> mappings_;
  std::vector<Pending> pending_;
  QModelIndexList layoutProxies_;
  std::vector<std::pair<int, QPersistentModelIndex>> layoutSources_;
};

} // namespace fegolin
