#include "app/ufrmTipps.h"

#include "common/uCommon.h"
#include "kit/kittips.h"
#include "settings/uTcSettings.h"

namespace fegolin {

TfrmTipps::TfrmTipps(QWidget* owner) : QWidget(owner, Qt::Window) {
  setWindowTitle(QStringLiteral("Tipps"));
  resize(373, 328);

  kitWelcomeTips = new TkitWelcomeTips(this);
  kitWelcomeTips->SetCaption(QStringLiteral("Willkommen"));
  kitWelcomeTips->SetCaptionGreeting({QStringLiteral("Willkommen bei Fegolin")});
  kitWelcomeTips->SetCaptionProgress(QStringLiteral("Warten Sie bitte während #AppTitle# geladen wird ..."));
  kitWelcomeTips->SetCaptionShowNext(
      QStringLiteral("&Dieses Tippfenster beim nächsten Programmstart von #AppTitle# anzeigen"));
  kitWelcomeTips->SetCaptionTip(QStringLiteral("Wussten Sie, dass..."));
  kitWelcomeTips->SetHelpContents(0);
  kitWelcomeTips->SetHelpWhatsNew(0);
  kitWelcomeTips->SetOnGetShow([this](TkitCustomWelcomeTips& sender, bool& show) {
    kitWelcomeTipsGetShow(sender, show);
  });
  kitWelcomeTips->SetOnSetShow([this](TkitCustomWelcomeTips& sender, bool& show) {
    kitWelcomeTipsSetShow(sender, show);
  });
  kitWelcomeTips->SetOnGetTip([this](TkitCustomWelcomeTips& sender, int& index, QString& text) {
    kitWelcomeTipsGetTip(sender, index, text);
  });
  kitWelcomeTips->Loaded();
}

void TfrmTipps::kitWelcomeTipsGetShow(TkitCustomWelcomeTips& /*Sender*/, bool& ShowDialog) {
  const RegVariant value = ReadRegValueDef(kCurrentUserRoot, kRegKeyApp, InfoOf(Option::ShowTipps).name,
                                           true, TFieldType::ftBoolean);
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
