#pragma once

// The program's texts are written in German; English comes from the
// translation compiled into the program (resources/translations). Every
// window sets its texts in a RetranslateUi of its own, once when it is made
// and again on QEvent::LanguageChange, which Qt sends to all windows when
// the translation comes or goes: a new choice shows at once.

namespace fegolin {

// Puts the English translation in force for kLanguageEnglish and takes it
// away for any other code (German, or a code that names no language, where
// the texts stay as written). Nothing happens while the wanted state is
// already in force, so windows are only retranslated on a real change.
void ApplyLanguage(int language);

} // namespace fegolin
