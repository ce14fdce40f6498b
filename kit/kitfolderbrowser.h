#pragma once

// The window TkitFolderDialog shows while it runs: a caption, an optional
// status line with the selected path, the folder tree, the new-folder button
// and OK / Cancel. It holds no state of its own beyond its widgets; the
// component decides what the selection means.

#include <QDialog>
#include <QModelIndex>

class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTreeView;

namespace fegolin {

class TkitFolderTree;

class TkitFolderBrowser final : public QDialog {
  Q_OBJECT

public:
  TkitFolderBrowser(QWidget* parent, TkitFolderTree& tree);
  ~TkitFolderBrowser() override;

  [[nodiscard]] TkitFolderTree& Model() const { return tree_; }
  [[nodiscard]] QLabel* TitleLabel() const { return lblTitle_; }
  [[nodiscard]] QLabel* StatusLabel() const { return lblStatus_; }
  [[nodiscard]] QTreeView* Tree() const { return tvFolders_; }
  [[nodiscard]] QPushButton* NewFolderButton() const { return btnNewFolder_; }
  [[nodiscard]] QPushButton* OkButton() const;
  [[nodiscard]] QPushButton* CancelButton() const;

  // The selected item; invalid while nothing is selected.
  [[nodiscard]] QModelIndex SelectedItem() const;
  // Selects an item, opening its ancestors and scrolling it into view.
  void SelectItem(const QModelIndex& item);
  // Selects the item of an existing folder; false when the tree has none.
  bool SelectPath(const QString& path);

  void SetTitle(const QString& caption);
  // The button is at least as wide as the system's standard button and
  // always wide enough for its caption.
  void SetNewFolderCaption(const QString& caption);
  // Left and top are half the screen's size less half the window's.
  void CenterOnScreen();

signals:
  void SelectionChanged(const QModelIndex& item);

private:
  TkitFolderTree& tree_;
  QLabel* lblTitle_ = nullptr;
  QLabel* lblStatus_ = nullptr;
  QTreeView* tvFolders_ = nullptr;
  QPushButton* btnNewFolder_ = nullptr;
  QDialogButtonBox* bbxButtons_ = nullptr;
};

} // namespace fegolin
