#include "app/uCleanTexts.h"

#include "common/uConst.h"

#include <QCoreApplication>
#include <QLocale>

#include <cstring>

namespace fegolin {
namespace {

// The translation context of these texts.
class TcCleanTexts {
  Q_DECLARE_TR_FUNCTIONS(TcCleanTexts)
};

// Numbers as the reader of the language in force writes them.
QLocale ReadersLocale() {
  return CurrentLanguage() == kLanguageEnglish ? QLocale(QLocale::English, QLocale::UnitedKingdom)
                                               : QLocale(QLocale::German, QLocale::Germany);
}

} // namespace

QString ReasonCaption(CleanReason reason) {
  switch (reason) {
  case CleanReason::None:
    return TcCleanTexts::tr("wird entfernt");
  case CleanReason::KeepPattern:
    return TcCleanTexts::tr("Schutzmuster");
  case CleanReason::OtherFileSystem:
    return TcCleanTexts::tr("anderes Dateisystem");
  case CleanReason::InUse:
    return TcCleanTexts::tr("in Gebrauch");
  case CleanReason::TooYoung:
    return TcCleanTexts::tr("jünger als das Mindestalter");
  case CleanReason::NotEmpty:
    return TcCleanTexts::tr("enthält Bleibendes");
  case CleanReason::NoPermission:
    return TcCleanTexts::tr("keine Berechtigung");
  case CleanReason::Failed:
    break;
  }
  return TcCleanTexts::tr("Fehler");
}

QString RefusalCaption(const platform::TargetCheck& check) {
  using platform::TargetRefusal;
  switch (check.refusal) {
  case TargetRefusal::None:
    return {};
  case TargetRefusal::Relative:
    return TcCleanTexts::tr("kein absoluter Pfad");
  case TargetRefusal::Root:
    return TcCleanTexts::tr("das Wurzelverzeichnis");
  case TargetRefusal::HomeOrAbove:
    return TcCleanTexts::tr("das Benutzerverzeichnis oder ein Verzeichnis darüber");
  case TargetRefusal::NotOwned:
    return TcCleanTexts::tr("gehört einem anderen Benutzer");
  case TargetRefusal::ForeignLink:
    return TcCleanTexts::tr("erreicht über eine Verknüpfung eines anderen Benutzers");
  case TargetRefusal::ForeignFolder:
    return TcCleanTexts::tr("erreicht über ein Verzeichnis, das ein anderer Benutzer ändern kann");
  case TargetRefusal::NotFolder:
    return TcCleanTexts::tr("kein Verzeichnis");
  case TargetRefusal::Missing:
    return TcCleanTexts::tr("existiert nicht");
  case TargetRefusal::CannotOpen:
    break;
  }
  QString text = TcCleanTexts::tr("kann nicht geöffnet werden");
  if (check.error != 0) {
    text += QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(check.error)) +
            QLatin1Char(')');
  }
  return text;
}

QString RefusalOf(std::string_view directory) {
  return RefusalCaption(platform::CheckCleanTarget(directory));
}

QString RefusedHint(std::string_view directory) {
  const QString refusal = RefusalOf(directory);
  return refusal.isEmpty() ? QString() : TcCleanTexts::tr("Wird nicht gereinigt: ") + refusal;
}

QString CountText(std::uint64_t count) {
  return ReadersLocale().toString(static_cast<qulonglong>(count));
}

QString SizeText(std::uint64_t bytes) {
  return ReadersLocale().formattedDataSize(static_cast<qint64>(bytes), 1,
                                           QLocale::DataSizeSIFormat);
}

QString OutcomeText(const CleanSummary& total) {
  // A number stays on the line of its word when the text wraps.
  const QChar bound(0xa0);
  return TcCleanTexts::tr("%1%5entfernt, %2%5behalten, %3%5fehlgeschlagen, %4%5frei%5geworden")
      .arg(CountText(total.removed), CountText(total.kept), CountText(total.failed),
           SizeText(total.bytes).replace(QLatin1Char(' '), bound), bound);
}

} // namespace fegolin
