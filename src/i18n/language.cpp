#include "i18n/language.h"

#include "i18n/message_catalogue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QMutex>
#include <QRegularExpression>
#include <QTranslator>

#include <algorithm>
#include <vector>

namespace qa {

namespace {

struct CatalogueKey {
    QByteArray context;
    QByteArray source;
    QByteArray disambiguation;
};

// Stands in front of the program's catalogue and remembers which key each shown text came
// from, in every language used so far: a widget's text can then be looked up again in the
// next language without the widget keeping its key.
class RecordingTranslator : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        QString text =
            inner_ != nullptr ? inner_->translate(context, source, disambiguation, n) : QString();
        if (source != nullptr && context != nullptr) {
            QMutexLocker lock(&mutex_);
            const QString shown = text.isNull() ? QString::fromUtf8(source) : text;
            if (!shown.isEmpty() && !shown_.contains(shown)) {
                shown_.insert(shown, {context, source, disambiguation});
                RememberPattern(shown, {context, source, disambiguation});
            }
        }
        return text;
    }
    bool isEmpty() const override { return false; }

    void SetInner(QTranslator* inner) { inner_ = inner; }
    // The key a shown text came from; false when it came from no catalogue lookup.
    bool KeyOf(const QString& shown, CatalogueKey& key) const {
        QMutexLocker lock(&mutex_);
        auto it = shown_.constFind(shown);
        if (it == shown_.constEnd()) {
            return false;
        }
        key = *it;
        return true;
    }
    // A shown text that a text with %1, %2 ... became once its arguments were filled in:
    // the key and the arguments, in the order of their numbers.
    bool PatternOf(const QString& shown, CatalogueKey& key, QStringList& args) const {
        QMutexLocker lock(&mutex_);
        for (const Pattern& pattern : patterns_) {
            const QRegularExpressionMatch match = pattern.expression.match(shown);
            if (match.hasMatch()) {
                key = pattern.key;
                args.clear();
                for (int number = 1; number <= pattern.highest; ++number) {
                    const int group = pattern.groupOf.value(number, -1);
                    args << (group > 0 ? match.captured(group) : QString());
                }
                return true;
            }
        }
        return false;
    }

private:
    struct Pattern {
        QRegularExpression expression;
        QHash<int, int> groupOf; // %number -> capture group
        int highest = 0;
        CatalogueKey key;
    };
    void RememberPattern(const QString& shown, const CatalogueKey& key) const {
        static const QRegularExpression marker(QStringLiteral("%([1-9])"));
        QString expression = QStringLiteral("^");
        Pattern pattern;
        qsizetype from = 0;
        int group = 0;
        for (auto it = marker.globalMatch(shown); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            expression += QRegularExpression::escape(shown.mid(from, m.capturedStart() - from));
            expression += QStringLiteral("(.*?)");
            const int number = m.captured(1).toInt();
            pattern.groupOf.insert(number, ++group);
            pattern.highest = std::max(pattern.highest, number);
            from = m.capturedEnd();
        }
        if (group == 0) {
            return;
        }
        expression += QRegularExpression::escape(shown.mid(from)) + QStringLiteral("$");
        pattern.expression =
            QRegularExpression(expression, QRegularExpression::DotMatchesEverythingOption);
        pattern.key = key;
        patterns_.push_back(std::move(pattern));
    }

    QTranslator* inner_ = nullptr;
    mutable QMutex mutex_;
    mutable QHash<QString, CatalogueKey> shown_;
    mutable std::vector<Pattern> patterns_;
};

struct LanguageState {
    RecordingTranslator recorder;
    QTranslator catalogue;
    QTranslator qtBase;
    bool loaded = false;
    // The application object the translators were given to: a later one (the command line
    // makes one only for the commands that need it) gets them again.
    QCoreApplication* installedOn = nullptr;
    bool qtBaseInstalled = false;
    Language current = Language::Korean;
    WidgetRetranslator retranslate;
};

LanguageState& State() {
    static LanguageState* state = new LanguageState; // outlives the application's widgets
    return *state;
}

QString Lookup(const CatalogueKey& key) {
    return QCoreApplication::translate(
        key.context.constData(), key.source.constData(),
        key.disambiguation.isEmpty() ? nullptr : key.disambiguation.constData());
}

// The text `shown` in the current language: a catalogue text as it is, a text with its
// arguments filled in, or a catalogue text followed by a key name in brackets (a shortcut).
QString Again(const QString& shown) {
    if (shown.isEmpty()) {
        return shown;
    }
    CatalogueKey key;
    if (State().recorder.KeyOf(shown, key)) {
        return Lookup(key);
    }
    QStringList args;
    if (State().recorder.PatternOf(shown, key, args)) {
        std::vector<std::string> values;
        for (const QString& arg : args) {
            values.push_back(arg.toStdString());
        }
        return QString::fromStdString(FillArguments(Lookup(key).toStdString(), values));
    }
    const qsizetype bracket = shown.lastIndexOf(QStringLiteral(" ("));
    if (bracket > 0 && shown.endsWith(QLatin1Char(')'))) {
        const QString head = shown.left(bracket);
        const QString again = Again(head);
        if (again != head) {
            return again + shown.mid(bracket);
        }
    }
    return shown;
}

// Every widget receives LanguageChange; each is retranslated once, on its own event.
class LanguageChangeFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::LanguageChange && watched->isWidgetType() &&
            State().retranslate) {
            State().retranslate(watched);
        }
        return false;
    }
};

void Install(LanguageState& state) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return;
    }
    if (state.installedOn != app) {
        // Each widget is retranslated on its own LanguageChange event.
        app->installEventFilter(new LanguageChangeFilter(app));
        QObject::connect(app, &QObject::destroyed, [] { State().installedOn = nullptr; });
        state.qtBaseInstalled = false;
    }
    if (state.qtBaseInstalled) {
        QCoreApplication::removeTranslator(&state.qtBase);
        state.qtBaseInstalled = false;
    }
    if (state.current == Language::Korean &&
        state.qtBase.load(QStringLiteral("qtbase_ko"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        state.qtBaseInstalled = QCoreApplication::installTranslator(&state.qtBase);
    }
    // Installing again (the recorder last, so it is asked first) announces the change.
    if (state.installedOn == app) {
        QCoreApplication::removeTranslator(&state.recorder);
    }
    QCoreApplication::installTranslator(&state.recorder);
    state.installedOn = app;
}

} // namespace

Language LanguageFromSetting(int lang) {
    return lang == 1 ? Language::English : Language::Korean;
}

Language CurrentLanguage() {
    return State().current;
}

QString Translate(const char* context, const char* source) {
    if (QCoreApplication::instance() == nullptr) {
        // No application object (a command that needs none): the catalogue directly.
        const QString text = State().recorder.translate(context, source, nullptr, -1);
        return text.isNull() ? QString::fromUtf8(source) : text;
    }
    return QCoreApplication::translate(context, source);
}

bool ApplyLanguage(Language language) {
    LanguageState& state = State();
    QCoreApplication* app = QCoreApplication::instance();
    if (language == state.current && state.loaded && (app == nullptr || state.installedOn == app)) {
        return true;
    }
    if (language != state.current || !state.loaded) {
        state.current = language;
        const QString name = language == Language::English
                                 ? QStringLiteral(":/i18n/quorina1c_en.qm")
                                 : QStringLiteral(":/i18n/quorina1c_ko.qm");
        state.loaded = state.catalogue.load(name);
        state.recorder.SetInner(state.loaded ? &state.catalogue : nullptr);
    }
    Install(state);
    // Month and weekday names (date pickers, calendars, report dates) follow the language,
    // not the system's locale: a Korean operator on an English desktop reads Korean names.
    const QLocale locale = language == Language::English
                               ? QLocale(QLocale::English, QLocale::UnitedStates)
                               : QLocale(QLocale::Korean, QLocale::SouthKorea);
    if (QLocale() != locale) {
        QLocale::setDefault(locale);
        if (app != nullptr) {
            // The application hands the new default to every window that has no locale of
            // its own; open pickers and calendars redraw their names.
            QEvent changed(QEvent::LocaleChange);
            QCoreApplication::sendEvent(app, &changed);
        }
    }
    return state.loaded;
}

QString TranslateAgain(const QString& shown) {
    return Again(shown);
}

void SetWidgetRetranslator(WidgetRetranslator retranslate) {
    State().retranslate = std::move(retranslate);
}

} // namespace qa
