#pragma once

#include <QString>

#include <functional>

class QObject;

namespace qa {

// The `lang` setting of an operator: 0 Korean (what existing settings files hold), 1 English.
enum class Language : int { Korean = 0, English = 1 };

// A setting's value as a language: anything but 1 reads as Korean, so a hand-edited file
// never leaves the program without words.
Language LanguageFromSetting(int lang);

// Puts the whole application into `language`: the program's catalogue and, for Korean, Qt's
// own (standard buttons and dialogs). Every widget then receives QEvent::LanguageChange and
// shows its texts again in the new language through the registered widget retranslator. Needs a
// QCoreApplication. Returns false when the program's catalogue could not be loaded (the source
// texts are shown then).
bool ApplyLanguage(Language language);
Language CurrentLanguage();

// The text `shown` in the current language: a catalogue text as it is, a text with its
// arguments filled in, or a catalogue text followed by a key name in brackets (a shortcut);
// a text that came from no catalogue lookup comes back unchanged.
QString TranslateAgain(const QString& shown);

// How a widget shows its texts again when the language changes. This layer knows no widget
// classes: the widget layer registers the retranslator, and every widget that receives
// QEvent::LanguageChange is handed to it once. Without one, widgets keep their texts.
using WidgetRetranslator = std::function<void(QObject* widget)>;
void SetWidgetRetranslator(WidgetRetranslator retranslate);

// A text that its shower makes anew, in the current language, whenever the language changes:
// a catalogue text with numbers or names filled in cannot be looked up again once shown.
using LiveText = std::function<QString()>;

// The text the catalogue gives for `source` in `context`, and remembers, so that a widget
// showing it can be retranslated later. The same as QCoreApplication::translate.
QString Translate(const char* context, const char* source);

} // namespace qa
