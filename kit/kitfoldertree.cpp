#include "kit/kitfoldertree.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>

#include <algorithm>

namespace fegolin {
namespace {

// Folders only, hidden ones included: the caches and trash folders below
// the home folder are exactly what people want to have emptied.
constexpr QDir::Filters kFolderFilter =
    QDir::AllDirs | QDir::Drives | QDir::Hidden | QDir::NoDotAndDotDot;

QString ModelPath(const QString& path) {
  return QDir::cleanPath(QDir::fromNativeSeparators(path));
}

// True when `path` is `folder` or lies below it, with the file system's own
// idea of letter case.
bool PathIsWithin(const QString& path, const QString& folder) {
  const QFileInfo target(folder);
  QString candidate = path;
  for (;;) {
    if (QFileInfo(candidate) == target) {
      return true;
    }
    const QString up = QFileInfo(candidate).path();
    if (up == candidate || up.isEmpty() || up == QStringLiteral(".")) {
      return false;
    }
    candidate = up;
  }
}

} // namespace

TkitFolderTree::TkitFolderTree(const TkitFolderTreeLayout& layout, QObject* parent)
    : QAbstractItemModel(parent), topCount_(static_cast<int>(layout.TopFolders.size())),
      groupName_(layout.GroupName) {
  QStringList folders = layout.TopFolders;
  if (!groupName_.isEmpty()) {
    folders += layout.GroupFolders;
  }
  anchors_.reserve(static_cast<std::size_t>(folders.size()));
  for (const QString& folder : folders) {
    Anchor anchor;
    anchor.path = ModelPath(folder);
    anchor.model = new QFileSystemModel(this);
    anchor.model->setFilter(kFolderFilter);
    anchor.model->setReadOnly(true);
    anchor.model->setRootPath(anchor.path);
    anchor.index = anchor.model->index(anchor.path);
    anchors_.push_back(anchor);
  }
  for (int k = 0; k < static_cast<int>(anchors_.size()); ++k) {
    Connect(k);
  }
}

TkitFolderTree::~TkitFolderTree() = default;

void TkitFolderTree::Connect(int k) {
  QFileSystemModel* model = anchors_[static_cast<std::size_t>(k)].model;
  connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this,
          [this, k](const QModelIndex& p, int first, int last) {
            SourceRowsAboutToChange(k, p, first, last, true);
          });
  connect(model, &QAbstractItemModel::rowsInserted, this, [this] { SourceRowsChanged(); });
  connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
          [this, k](const QModelIndex& p, int first, int last) {
            SourceRowsAboutToChange(k, p, first, last, false);
          });
  connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { SourceRowsChanged(); });
  // Sorting and moves only shuffle rows: the persistent indexes are moved
  // along, which is all a layout change needs.
  connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this,
          [this] { SourceLayoutAboutToChange(); });
  connect(model, &QAbstractItemModel::layoutChanged, this, [this] { SourceLayoutChanged(); });
  connect(model, &QAbstractItemModel::rowsAboutToBeMoved, this,
          [this] { SourceLayoutAboutToChange(); });
  connect(model, &QAbstractItemModel::rowsMoved, this, [this] { SourceLayoutChanged(); });
  connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
  connect(model, &QAbstractItemModel::modelReset, this, [this] { endResetModel(); });
  connect(model, &QAbstractItemModel::dataChanged, this,
          [this, k](const QModelIndex& tl, const QModelIndex& br, const QList<int>& roles) {
            SourceDataChanged(k, tl, br, roles);
          });
}

int TkitFolderTree::TopRows() const {
  return topCount_ + (groupName_.isEmpty() ? 0 : 1);
}

TkitFolderTree::Parent* TkitFolderTree::Desc(const QModelIndex& index) {
  return static_cast<Parent*>(index.internalPointer());
}

bool TkitFolderTree::IsGroup(const QModelIndex& index) const {
  return index.isValid() && index.model() == this && Desc(index) == &top_ &&
         index.row() == topCount_ && !groupName_.isEmpty();
}

QModelIndex TkitFolderTree::GroupIndex() const {
  return groupName_.isEmpty() ? QModelIndex() : createIndex(topCount_, 0, &top_);
}

int TkitFolderTree::AnchorOf(const QModelIndex& index) const {
  if (!index.isValid() || IsGroup(index)) {
    return -1;
  }
  const Parent* d = Desc(index);
  switch (d->kind) {
  case Parent::Kind::Top:
    return index.row();
  case Parent::Kind::Group:
    return topCount_ + index.row();
  case Parent::Kind::Source:
    return d->anchor;
  }
  return -1;
}

QModelIndex TkitFolderTree::SourceIndex(const QModelIndex& index) const {
  const int k = AnchorOf(index);
  if (k < 0) {
    return {};
  }
  const Anchor& anchor = anchors_[static_cast<std::size_t>(k)];
  const Parent* d = Desc(index);
  if (d->kind != Parent::Kind::Source) {
    return anchor.index;
  }
  return d->source.isValid() ? anchor.model->index(index.row(), 0, d->source) : QModelIndex();
}

QModelIndex TkitFolderTree::AnchorProxy(int k) const {
  return k < topCount_ ? createIndex(k, 0, &top_) : createIndex(k - topCount_, 0, &group_);
}

bool TkitFolderTree::Below(int k, const QModelIndex& source) const {
  const QPersistentModelIndex& anchor = anchors_[static_cast<std::size_t>(k)].index;
  for (QModelIndex p = source.parent(); p.isValid(); p = p.parent()) {
    if (anchor == p) {
      return true;
    }
  }
  return false;
}

QModelIndex TkitFolderTree::ProxyFromSource(int k, const QModelIndex& source) const {
  if (!source.isValid()) {
    return {};
  }
  const QModelIndex s = source.siblingAtColumn(0);
  if (anchors_[static_cast<std::size_t>(k)].index == s) {
    return AnchorProxy(k);
  }
  if (!Below(k, s)) {
    return {};
  }
  return createIndex(s.row(), 0, MappingFor(k, s.parent()));
}

TkitFolderTree::Parent* TkitFolderTree::MappingFor(int k, const QModelIndex& sourceParent) const {
  auto& slot = mappings_[{k, sourceParent.internalPointer()}];
  if (!slot) {
    slot = std::make_unique<Parent>(Parent{Parent::Kind::Source, k, sourceParent});
  } else if (slot->source != sourceParent) {
    slot->source = sourceParent;
  }
  return slot.get();
}

QModelIndex TkitFolderTree::index(int row, int column, const QModelIndex& parent) const {
  if (!hasIndex(row, column, parent)) {
    return {};
  }
  if (!parent.isValid()) {
    return createIndex(row, 0, &top_);
  }
  if (IsGroup(parent)) {
    return createIndex(row, 0, &group_);
  }
  const QModelIndex source = SourceIndex(parent);
  return source.isValid() ? createIndex(row, 0, MappingFor(AnchorOf(parent), source))
                          : QModelIndex();
}

QModelIndex TkitFolderTree::parent(const QModelIndex& child) const {
  if (!child.isValid()) {
    return {};
  }
  const Parent* d = Desc(child);
  switch (d->kind) {
  case Parent::Kind::Top:
    return {};
  case Parent::Kind::Group:
    return GroupIndex();
  case Parent::Kind::Source:
    return ProxyFromSource(d->anchor, d->source);
  }
  return {};
}

int TkitFolderTree::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) {
    return TopRows();
  }
  if (parent.column() > 0) {
    return 0;
  }
  if (IsGroup(parent)) {
    return static_cast<int>(anchors_.size()) - topCount_;
  }
  const QModelIndex source = SourceIndex(parent);
  return source.isValid()
             ? anchors_[static_cast<std::size_t>(AnchorOf(parent))].model->rowCount(source)
             : 0;
}

int TkitFolderTree::columnCount(const QModelIndex& parent) const {
  return parent.column() > 0 ? 0 : 1;
}

bool TkitFolderTree::hasChildren(const QModelIndex& parent) const {
  if (!parent.isValid() || IsGroup(parent)) {
    return rowCount(parent) > 0;
  }
  const QModelIndex source = SourceIndex(parent);
  return source.isValid() &&
         anchors_[static_cast<std::size_t>(AnchorOf(parent))].model->hasChildren(source);
}

bool TkitFolderTree::canFetchMore(const QModelIndex& parent) const {
  const QModelIndex source = SourceIndex(parent);
  return source.isValid() &&
         anchors_[static_cast<std::size_t>(AnchorOf(parent))].model->canFetchMore(source);
}

void TkitFolderTree::fetchMore(const QModelIndex& parent) {
  const QModelIndex source = SourceIndex(parent);
  if (source.isValid()) {
    anchors_[static_cast<std::size_t>(AnchorOf(parent))].model->fetchMore(source);
  }
}

QVariant TkitFolderTree::data(const QModelIndex& index, int role) const {
  if (IsGroup(index)) {
    if (role == Qt::DisplayRole) {
      return groupName_;
    }
    if (role == Qt::DecorationRole) {
      return QFileIconProvider().icon(QFileIconProvider::Computer);
    }
    return {};
  }
  const QModelIndex source = SourceIndex(index);
  if (!source.isValid()) {
    return {};
  }
  if (role == Qt::ToolTipRole) {
    return FilePath(index);
  }
  return source.model()->data(source, role);
}

Qt::ItemFlags TkitFolderTree::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

QString TkitFolderTree::FilePath(const QModelIndex& index) const {
  const QModelIndex source = SourceIndex(index);
  if (!source.isValid()) {
    return {};
  }
  const auto* model = anchors_[static_cast<std::size_t>(AnchorOf(index))].model;
  return QDir::toNativeSeparators(model->filePath(source));
}

QModelIndex TkitFolderTree::IndexForPath(const QString& path) const {
  const QFileInfo target(ModelPath(path));
  if (path.isEmpty() || !target.isDir()) {
    return {};
  }
  const QString absolute = ModelPath(target.absoluteFilePath());
  std::vector<int> holders;
  for (int k = 0; k < static_cast<int>(anchors_.size()); ++k) {
    if (PathIsWithin(absolute, anchors_[static_cast<std::size_t>(k)].path)) {
      holders.push_back(k);
    }
  }
  // The deepest top folder first: the home folder rather than "/".
  std::stable_sort(holders.begin(), holders.end(), [this](int a, int b) {
    return anchors_[static_cast<std::size_t>(a)].path.size() >
           anchors_[static_cast<std::size_t>(b)].path.size();
  });
  for (const int k : holders) {
    const QModelIndex found =
        ProxyFromSource(k, anchors_[static_cast<std::size_t>(k)].model->index(absolute));
    if (found.isValid()) {
      return found;
    }
  }
  return {};
}

bool TkitFolderTree::RangeHoldsAnchor(int k, const QModelIndex& parent, int first, int last) const {
  for (QModelIndex a = anchors_[static_cast<std::size_t>(k)].index; a.isValid(); a = a.parent()) {
    if (a.parent() == parent && a.row() >= first && a.row() <= last) {
      return true;
    }
  }
  return false;
}

void TkitFolderTree::SourceRowsAboutToChange(int k, const QModelIndex& parent, int first, int last,
                                             bool inserting) {
  if (!inserting && RangeHoldsAnchor(k, parent, first, last)) {
    // A top folder itself goes away: its whole subtree is gone at once.
    beginResetModel();
    pending_.push_back(Pending::Resetting);
    return;
  }
  const QModelIndex proxyParent = ProxyFromSource(k, parent);
  if (!proxyParent.isValid()) {
    pending_.push_back(Pending::Ignored);
    return;
  }
  if (inserting) {
    beginInsertRows(proxyParent, first, last);
    pending_.push_back(Pending::Inserting);
  } else {
    beginRemoveRows(proxyParent, first, last);
    pending_.push_back(Pending::Removing);
  }
}

void TkitFolderTree::SourceRowsChanged() {
  if (pending_.empty()) {
    return;
  }
  const Pending pending = pending_.back();
  pending_.pop_back();
  switch (pending) {
  case Pending::Ignored:
    break;
  case Pending::Inserting:
    endInsertRows();
    break;
  case Pending::Removing:
    endRemoveRows();
    break;
  case Pending::Resetting:
    endResetModel();
    break;
  }
}

void TkitFolderTree::SourceLayoutAboutToChange() {
  emit layoutAboutToBeChanged();
  layoutProxies_ = persistentIndexList();
  layoutSources_.clear();
  layoutSources_.reserve(static_cast<std::size_t>(layoutProxies_.size()));
  for (const QModelIndex& proxy : std::as_const(layoutProxies_)) {
    const bool fromSource = Desc(proxy)->kind == Parent::Kind::Source;
    layoutSources_.emplace_back(fromSource ? AnchorOf(proxy) : -1,
                                fromSource ? QPersistentModelIndex(SourceIndex(proxy))
                                           : QPersistentModelIndex());
  }
}

void TkitFolderTree::SourceLayoutChanged() {
  QModelIndexList moved;
  moved.reserve(layoutProxies_.size());
  for (std::size_t i = 0; i < layoutSources_.size(); ++i) {
    const auto& [k, source] = layoutSources_[i];
    moved.append(k < 0 ? layoutProxies_[static_cast<qsizetype>(i)] : ProxyFromSource(k, source));
  }
  changePersistentIndexList(layoutProxies_, moved);
  layoutProxies_.clear();
  layoutSources_.clear();
  emit layoutChanged();
}

void TkitFolderTree::SourceDataChanged(int k, const QModelIndex& topLeft,
                                       const QModelIndex& bottomRight, const QList<int>& roles) {
  if (topLeft.column() > 0) {
    return;
  }
  const QModelIndex first = ProxyFromSource(k, topLeft);
  const QModelIndex last = ProxyFromSource(k, bottomRight.siblingAtColumn(0));
  if (first.isValid() && last.isValid() && first.parent() == last.parent()) {
    emit dataChanged(first, last, roles);
    return;
  }
  const QPersistentModelIndex& anchor = anchors_[static_cast<std::size_t>(k)].index;
  if (anchor.isValid() && anchor.parent() == topLeft.parent() && anchor.row() >= topLeft.row() &&
      anchor.row() <= bottomRight.row()) {
    const QModelIndex proxy = AnchorProxy(k);
    emit dataChanged(proxy, proxy, roles);
  }
}

} // namespace fegolin
