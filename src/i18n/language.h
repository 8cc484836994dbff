#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace qa {

// The `lang` setting of an operator: 0 Korean (what existing settings files hold), 1 English.
enum class Language : int { Korean = 0, English = 1 };

// A setting's value as a language: anything but 1 reads as Korean, so a hand-edited file
// never leaves the program without words.
Language LanguageFromSetting(int lang);

// Puts the whole application into `language`: the program's catalogue and, for Korean, Qt's
// own (standard buttons and dialogs). Every widget then receives QEvent::LanguageChange and
// shows its texts again in the new language. Needs a QCoreApplication. Returns false when
// the program's catalogue could not be loaded (the source texts are shown then).
bool ApplyLanguage(Language language);
Language CurrentLanguage();

// Shows again, in the current language, every text of `widget` that came from the catalogue:
// window title, tool tip, label and button texts, group titles, combo items, placeholders
// and the tips of the drawn buttons. Texts composed at run time (a count, a path) are left
// for their owner to set again. ApplyLanguage does this for every widget by itself.
void RetranslateWidget(QWidget* widget);

// A text that its shower makes anew, in the current language, whenever the language changes:
// a catalogue text with numbers or names filled in cannot be looked up again once shown.
using LiveText = std::function<QString()>;

// The text the catalogue gives for `source` in `context`, and remembers, so that a widget
// showing it can be retranslated later. The same as QCoreApplication::translate.
QString Translate(const char* context, const char* source);

} // namespace qa
