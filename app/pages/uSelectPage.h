#pragma once

// tabSelect: the tool row and the folder list.

#include <QWidget>

class QGroupBox;
class QPushButton;
class QToolButton;

namespace fegolin {

class TkitCheckListBox;

class TcSelectPage final : public QWidget {
  Q_OBJECT
public:
  explicit TcSelectPage(QWidget* parent = nullptr);

  QGroupBox* grpDirectories;
  QToolButton* btnAddDirToList;
  QToolButton* SpeedButton1; // rename
  QToolButton* SpeedButton2; // delete
  QToolButton* SpeedButton3; // delete all
  QToolButton* SpeedButton4; // default entries
  QPushButton* btnApplyDir;
  TkitCheckListBox* cbxKitDirectoryList;

signals:
  // The page became visible (tabSelectShow).
  void Shown();

protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  // The page's captions in the language in force.
  void RetranslateUi();
};

} // namespace fegolin
