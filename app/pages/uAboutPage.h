#pragma once

// tabAbout: title, maker, author, versions, web address, picture and
// credits.

#include <QWidget>

class QFrame;
class QLabel;
class QScrollArea;
class QVBoxLayout;

namespace fegolin {

class TkitURLLabel;
class TkitVersionLabel;

class TcAboutPage final : public QWidget {
  Q_OBJECT
public:
  explicit TcAboutPage(QWidget* parent = nullptr);

  QLabel* lblAppTitle;
  QLabel* lblMaker;
  QLabel* lblAuthor;
  // The column beside the picture below maker and author: the web address
  // (kitURLLabel1) and the two version labels (kitVersionLabel,
  // kitVersionLabel1) are appended here, in that order.
  QVBoxLayout* layDetails;
  TkitURLLabel* kitURLLabel1;
  TkitVersionLabel* kitVersionLabel;  // product and file version
  TkitVersionLabel* kitVersionLabel1; // file description and comments
  QFrame* Panel3;
  QLabel* Image1; // 90 x 115, shows the page's picture from its first show on
  QLabel* Memo2;  // the credits, in the page's text colour
  // Everything above: the page scrolls where the window is too low for it.
  QScrollArea* scrAbout;

protected:
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  // The page's captions in the language in force.
  void RetranslateUi();
};

} // namespace fegolin
