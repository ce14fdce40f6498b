#include "app/pages/uAboutPage.h"

#include "app/pages/uPageFonts.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace fegolin {
namespace {

const QString kCredits = QStringLiteral(
    "Dank an alle, die Fegolin möglich gemacht haben:\n"
    "  Qt - die Fenster, Knöpfe und Listen\n"
    "  SQLite - die Ablage der Einstellungen\n"
    "  libjpeg - diese Software beruht teilweise auf\n"
    "    der Arbeit der Independent JPEG Group\n"
    "  GoogleTest - die Prüfungen hinter jedem Knopf\n"
    "und an alle, die Fehler gemeldet und Ideen\n"
    "geschickt haben.");

} // namespace

TcAboutPage::TcAboutPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("tabAbout"));
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(8, 8, 8, 8);

  lblAppTitle = new QLabel(this);
  lblAppTitle->setObjectName(QStringLiteral("lblAppTitle"));
  lblAppTitle->setFont(PixelFont(QStringLiteral("Arial"), 20, QFont::SansSerif, true));
  lblAppTitle->setAlignment(Qt::AlignCenter);
  page->addWidget(lblAppTitle);

  auto* middle = new QHBoxLayout;
  Panel3 = new QFrame(this);
  Panel3->setObjectName(QStringLiteral("Panel3"));
  Panel3->setFrameShape(QFrame::Panel);
  Panel3->setFrameShadow(QFrame::Sunken);
  Panel3->setLineWidth(1);
  auto* frame = new QVBoxLayout(Panel3);
  frame->setContentsMargins(2, 2, 2, 2);
  Image1 = new QLabel(Panel3);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setFixedSize(90, 115);
  frame->addWidget(Image1);
  middle->addWidget(Panel3, 0, Qt::AlignTop);

  layDetails = new QVBoxLayout;
  layDetails->setAlignment(Qt::AlignTop);
  lblMaker = new QLabel(QStringLiteral("Ein Programm von Norvalt"));
  lblMaker->setObjectName(QStringLiteral("lblMaker"));
  lblAuthor = new QLabel(QStringLiteral("Geschrieben vom Fegolin-Team bei Norvalt"));
  lblAuthor->setObjectName(QStringLiteral("lblAuthor"));
  layDetails->addWidget(lblMaker);
  layDetails->addWidget(lblAuthor);
  middle->addLayout(layDetails, 1);
  page->addLayout(middle);

  Memo2 = new QPlainTextEdit(kCredits, this);
  Memo2->setObjectName(QStringLiteral("Memo2"));
  Memo2->setReadOnly(true);
  Memo2->setEnabled(false);
  Memo2->setFrameShape(QFrame::NoFrame);
  Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo2->setBackgroundRole(QPalette::Button);
  QPalette palette = Memo2->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Button));
  palette.setColor(QPalette::Disabled, QPalette::Base, palette.color(QPalette::Button));
  Memo2->setPalette(palette);
  page->addWidget(Memo2, 1);
}

} // namespace fegolin
