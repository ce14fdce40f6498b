#include "app/pages/uAboutPage.h"

#include "app/pages/uPageFonts.h"
#include "app/uPictures.h"
#include "kit/kitlabel.h"
#include "kit/kitversn.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QShowEvent>
#include <QVBoxLayout>

#include <tuple>

namespace fegolin {
namespace {

QString Credits() {
  return TcAboutPage::tr("Dank an alle, die Fegolin möglich gemacht haben:\n"
                         "  Qt - die Fenster, Knöpfe und Listen\n"
                         "  SQLite - die Ablage der Einstellungen\n"
                         "  libjpeg - diese Software beruht teilweise auf\n"
                         "    der Arbeit der Independent JPEG Group\n"
                         "  GoogleTest - die Prüfungen hinter jedem Knopf\n"
                         "und an alle, die Fehler gemeldet und Ideen\n"
                         "geschickt haben.");
}

const QString kMakerAddress = QStringLiteral("www.norvalt.de");

// Two fields a line, caption and value a tab apart, no blank lines between.
// The captions come with the language.
TkitVersionLabel* VersionLabel(const char* name, const QString& key1, const QString& key2) {
  auto* label = new TkitVersionLabel;
  label->setObjectName(QLatin1String(name));
  // Two lines high: the text's closing line break would otherwise add an
  // empty third line between the two labels.
  label->setFont(FormFont());
  label->setFixedHeight(label->fontMetrics().lineSpacing() * 2 + 2);
  label->SetDoubleSpaced(false);
  label->SetTabStop(8);
  label->VersionInfo().BeginUpdate();
  label->VersionInfo().Add(key1, {});
  label->VersionInfo().Add(key2, {});
  label->VersionInfo().EndUpdate();
  return label;
}

} // namespace

TcAboutPage::TcAboutPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("tabAbout"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  // At the window's smallest size the page is taller than its place: it
  // scrolls rather than cut the credits off.
  scrAbout = new QScrollArea(this);
  scrAbout->setObjectName(QStringLiteral("scrAbout"));
  scrAbout->setFrameShape(QFrame::NoFrame);
  scrAbout->setWidgetResizable(true);
  scrAbout->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  scrAbout->viewport()->setAutoFillBackground(false);
  outer->addWidget(scrAbout);
  auto* content = new QWidget(scrAbout);
  content->setAutoFillBackground(false);
  scrAbout->setWidget(content);
  auto* page = new QVBoxLayout(content);
  page->setContentsMargins(8, 8, 8, 8);

  lblAppTitle = new QLabel(content);
  lblAppTitle->setObjectName(QStringLiteral("lblAppTitle"));
  lblAppTitle->setFont(PixelFont(QStringLiteral("Arial"), 20, QFont::SansSerif, true));
  lblAppTitle->setAlignment(Qt::AlignCenter);
  page->addWidget(lblAppTitle);

  auto* middle = new QHBoxLayout;
  Panel3 = new QFrame(content);
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
  lblMaker = new QLabel;
  lblMaker->setObjectName(QStringLiteral("lblMaker"));
  lblAuthor = new QLabel;
  lblAuthor->setObjectName(QStringLiteral("lblAuthor"));
  layDetails->addWidget(lblMaker);
  layDetails->addWidget(lblAuthor);
  kitURLLabel1 = new TkitURLLabel;
  kitURLLabel1->setObjectName(QStringLiteral("kitURLLabel1"));
  kitURLLabel1->setFont(FormFont());
  kitURLLabel1->setText(kMakerAddress);
  kitURLLabel1->SetURL(QStringLiteral("http://") + kMakerAddress);
  kitURLLabel1->SetShowBrowser(TkitShowWindowStyle::aswShowDefault);
  kitURLLabel1->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  layDetails->addWidget(kitURLLabel1);
  kitVersionLabel = VersionLabel("kitVersionLabel", QStringLiteral("ProductVersion"),
                                 QStringLiteral("FileVersion"));
  layDetails->addWidget(kitVersionLabel);
  kitVersionLabel1 = VersionLabel("kitVersionLabel1", QStringLiteral("FileDescription"),
                                  QStringLiteral("Comments"));
  layDetails->addWidget(kitVersionLabel1);
  middle->addLayout(layDetails, 1);
  page->addLayout(middle);

  // In the page's own text colour: a credit that cannot be read is none.
  Memo2 = new QLabel(content);
  Memo2->setObjectName(QStringLiteral("Memo2"));
  Memo2->setTextFormat(Qt::PlainText);
  Memo2->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Memo2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  page->addWidget(Memo2);
  page->addStretch(1);
  RetranslateUi();
}

void TcAboutPage::RetranslateUi() {
  lblMaker->setText(tr("Ein Programm von Norvalt"));
  lblAuthor->setText(tr("Geschrieben vom Fegolin-Team bei Norvalt"));
  for (const auto& [label, caption1, caption2] :
       {std::tuple{kitVersionLabel, tr("Produktversion:"), tr("Dateiversion:")},
        std::tuple{kitVersionLabel1, tr("Beschreibung:"), tr("Kommentar:")}}) {
    TkitVersionInfoCollection& items = label->VersionInfo();
    items.BeginUpdate();
    items.Items(0).SetCaption(caption1);
    items.Items(1).SetCaption(caption2);
    items.EndUpdate();
  }
  Memo2->setText(Credits());
}

void TcAboutPage::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    RetranslateUi();
  }
  QWidget::changeEvent(event);
}

void TcAboutPage::showEvent(QShowEvent* event) {
  // Decoded when the page first shows: a program that only ever waits in
  // the notification area never needs the picture.
  if (Image1->pixmap().isNull()) {
    Image1->setPixmap(QPixmap::fromImage(InfoPicture()));
  }
  QWidget::showEvent(event);
}

} // namespace fegolin
