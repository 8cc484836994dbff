#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace qa {

// A text as shown, in the current language: what the language layer gives for a text that
// came from its catalogue, any other text as it is.
using TextAgain = std::function<QString(const QString& shown)>;

// Shows again, in the current language, every text of `widget` that came from the catalogue:
// window title, tool tip, label and button texts, group titles, combo items, placeholders
// and the tips of the drawn buttons. Texts composed at run time (a count, a path) are left
// for their owner to set again. Registered with the language layer, it runs for every widget
// on its own QEvent::LanguageChange.
void RetranslateWidget(QWidget* widget, const TextAgain& translateAgain);

} // namespace qa
