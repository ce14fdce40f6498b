#pragma once

// tabHelp: the usage notice and the help text, each on a page of its own.

#include <QWidget>

class QPlainTextEdit;
class QTabWidget;

namespace fegolin {

class TcHelpPage final : public QWidget {
  Q_OBJECT
public:
  explicit TcHelpPage(QWidget* parent = nullptr);

  QTabWidget* PageControl1;
  QWidget* tabHelpDisclaimer;
  QPlainTextEdit* Memo1;
  QWidget* tabHelpHelp;
  // Editable so the reader can mark passages; edits are not kept.
  QPlainTextEdit* Memo3;

protected:
  void changeEvent(QEvent* event) override;

private:
  // The page's captions in the language in force.
  void RetranslateUi();
};

} // namespace fegolin
