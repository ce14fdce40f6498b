#include "app/uTranslation.h"

#include "common/uConst.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTranslator>

#include <memory>

// The translation comes from a static archive; referencing the resource's
// initialiser keeps it in the program. Q_INIT_RESOURCE belongs in the
// global namespace, where rcc defines the initialiser.
static void InitTranslations() {
  Q_INIT_RESOURCE(fegolin_translations);
}

namespace fegolin {

void ApplyLanguage(int language) {
  // One translator for the program's lifetime; only the GUI thread
  // switches languages.
  static const std::unique_ptr<QTranslator> english = [] {
    InitTranslations();
    auto translator = std::make_unique<QTranslator>();
    static_cast<void>(translator->load(QStringLiteral(":/i18n/fegolin_en.qm")));
    return translator;
  }();
  static bool installed = false;
  const bool wanted = language == kLanguageEnglish;
  if (wanted == installed) {
    return;
  }
  installed = wanted;
  if (wanted) {
    QCoreApplication::installTranslator(english.get());
  } else {
    QCoreApplication::removeTranslator(english.get());
  }
  // Qt posts the change to the windows; they take it now, so whatever runs
  // next (and the next paint) sees the new texts.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
}

} // namespace fegolin
