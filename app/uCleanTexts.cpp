#include "app/uCleanTexts.h"

#include <QLocale>

#include <cstring>

namespace fegolin {
namespace {

QLocale German() { return {QLocale::German, QLocale::Germany}; }

} // namespace

QString ReasonCaption(CleanReason reason) {
  switch (reason) {
  case CleanReason::None:
    return QStringLiteral("wird entfernt");
  case CleanReason::KeepPattern:
    return QStringLiteral("Schutzmuster");
  case CleanReason::OtherFileSystem:
    return QStringLiteral("anderes Dateisystem");
  case CleanReason::InUse:
    return QStringLiteral("in Gebrauch");
  case CleanReason::TooYoung:
    return QStringLiteral("jünger als das Mindestalter");
  case CleanReason::NotEmpty:
    return QStringLiteral("enthält Bleibendes");
  case CleanReason::NoPermission:
    return QStringLiteral("keine Berechtigung");
  case CleanReason::Failed:
    break;
  }
  return QStringLiteral("Fehler");
}

QString RefusalCaption(const platform::TargetCheck& check) {
  using platform::TargetRefusal;
  switch (check.refusal) {
  case TargetRefusal::None:
    return {};
  case TargetRefusal::Relative:
    return QStringLiteral("kein absoluter Pfad");
  case TargetRefusal::Root:
    return QStringLiteral("das Wurzelverzeichnis");
  case TargetRefusal::HomeOrAbove:
    return QStringLiteral("das Benutzerverzeichnis oder ein Verzeichnis darüber");
  case TargetRefusal::NotOwned:
    return QStringLiteral("gehört einem anderen Benutzer");
  case TargetRefusal::ForeignLink:
    return QStringLiteral("erreicht über eine Verknüpfung eines anderen Benutzers");
  case TargetRefusal::ForeignFolder:
    return QStringLiteral("erreicht über ein Verzeichnis, das ein anderer Benutzer ändern kann");
  case TargetRefusal::NotFolder:
    return QStringLiteral("kein Verzeichnis");
  case TargetRefusal::Missing:
    return QStringLiteral("existiert nicht");
  case TargetRefusal::CannotOpen:
    break;
  }
  QString text = QStringLiteral("kann nicht geöffnet werden");
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
  return refusal.isEmpty() ? QString() : QStringLiteral("Wird nicht gereinigt: ") + refusal;
}

QString CountText(std::uint64_t count) { return German().toString(static_cast<qulonglong>(count)); }

QString SizeText(std::uint64_t bytes) {
  return German().formattedDataSize(static_cast<qint64>(bytes), 1, QLocale::DataSizeSIFormat);
}

QString OutcomeText(const CleanSummary& total) {
  // A number stays on the line of its word when the text wraps.
  const QChar bound(0xa0);
  return QStringLiteral("%1%5entfernt, %2%5behalten, %3%5fehlgeschlagen, %4%5frei%5geworden")
      .arg(CountText(total.removed), CountText(total.kept), CountText(total.failed),
           SizeText(total.bytes).replace(QLatin1Char(' '), bound), bound);
}

} // namespace fegolin
