#include "app/ufrmTipps.h"

#include "common/uCommon.h"
#include "kit/kitctl32.h"
#include "kit/kitfti32.h"
#include "kit/kittips.h"
#include "settings/uTcSettings.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

namespace fegolin {

TfrmTipps::TfrmTipps(QWidget* owner) : QWidget(owner, Qt::Window) {
  resize(373, 328);

  kitWelcomeTips = new TkitWelcomeTips(this);
  RetranslateUi();
  kitWelcomeTips->SetHelpContents(0);
  kitWelcomeTips->SetHelpWhatsNew(0);
  kitWelcomeTips->SetOnGetShow(
      [this](TkitCustomWelcomeTips& sender, bool& show) { kitWelcomeTipsGetShow(sender, show); });
  kitWelcomeTips->SetOnSetShow(
      [this](TkitCustomWelcomeTips& sender, bool& show) { kitWelcomeTipsSetShow(sender, show); });
  kitWelcomeTips->SetOnGetTip([this](TkitCustomWelcomeTips& sender, int& index, QString& text) {
    kitWelcomeTipsGetTip(sender, index, text);
  });
  kitWelcomeTips->Loaded();
  RetranslateTipWindow();
}

void TfrmTipps::RetranslateUi() {
  setWindowTitle(tr("Tipps"));
  kitWelcomeTips->SetCaption(tr("Willkommen"));
  kitWelcomeTips->SetCaptionGreeting({tr("Willkommen bei Fegolin")});
  kitWelcomeTips->SetCaptionProgress(tr("Warten Sie bitte während #AppTitle# geladen wird ..."));
  kitWelcomeTips->SetCaptionShowNext(
      tr("&Dieses Tippfenster beim nächsten Programmstart von #AppTitle# anzeigen"));
  kitWelcomeTips->SetCaptionTip(tr("Wussten Sie, dass..."));
  RetranslateTipWindow();
}

void TfrmTipps::RetranslateTipWindow() {
  TkitsfTip* window = kitWelcomeTips->TipWindow();
  if (window == nullptr) {
    return;
  }
  window->setWindowTitle(tr("Willkommen"));
  window->SetGreeting({tr("Willkommen bei Fegolin")});
  window->chkShowNext->setText(ReplaceAppTitle(
      tr("&Dieses Tippfenster beim nächsten Programmstart von #AppTitle# anzeigen")));
  window->lblDidYouKnow->setText(tr("Wussten Sie, dass..."));
  window->lblDidYouKnow->adjustSize();
  window->btnNext->setText(tr("Nächster &Tipp"));
  window->btnHelp->setText(tr("&Hilfethemen"));
  window->btnWhatsNew->setText(tr("&Neuigkeiten"));
  window->btnClose->setText(tr("Schließen"));
}

void TfrmTipps::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    RetranslateUi();
  }
  QWidget::changeEvent(event);
}

void TfrmTipps::kitWelcomeTipsGetShow(TkitCustomWelcomeTips& /*Sender*/, bool& ShowDialog) {
  const RegVariant value = ReadRegValueDef(
      kCurrentUserRoot, kRegKeyApp, InfoOf(Option::ShowTipps).name, true, TFieldType::ftBoolean);
  const bool* flag = std::get_if<bool>(&value);
  ShowDialog = flag == nullptr || *flag;
}

void TfrmTipps::kitWelcomeTipsSetShow(TkitCustomWelcomeTips& /*Sender*/, bool& ShowDialog) {
  // The integer form of a boolean true is -1, as the value has always been stored.
  WriteRegValue(kCurrentUserRoot, kRegKeyApp, InfoOf(Option::ShowTipps).name,
                std::int32_t{ShowDialog ? -1 : 0}, TFieldType::ftInteger);
}

void TfrmTipps::kitWelcomeTipsGetTip(TkitCustomWelcomeTips& /*Sender*/, int& /*TipIndex*/,
                                     QString& /*TipText*/) {}

} // namespace fegolin
