#include "views/list_compare.h"

#include "store/settings.h"

#include <QLocale>
#include <QString>

#include <cstring>
#include <string>

namespace qa::views {

namespace {

int Sign(long long value) {
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

int ByteCompare(std::string_view a, std::string_view b) {
    int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

unsigned char FoldAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Lower-case folding of the ASCII letters only: the bytes of other characters compare as
// they are, as the multibyte comparison of the original lists did.
int NoCaseCompare(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char ca = FoldAscii(static_cast<unsigned char>(a[i]));
        unsigned char cb = FoldAscii(static_cast<unsigned char>(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    return Sign(static_cast<long long>(a.size()) - static_cast<long long>(b.size()));
}

bool IsExactInteger(std::string_view text, long value) {
    return text == std::to_string(value);
}

int NumberAware(const SortKey& ka, std::string_view a, const SortKey& kb, std::string_view b,
                bool ignoreCase) {
    if (ka.integer != 0 && kb.integer != 0 && ka.integer != kb.integer && ka.exactInteger &&
        kb.exactInteger) {
        return ka.integer < kb.integer ? -1 : 1;
    }
    return ignoreCase ? NoCaseCompare(a, b) : ByteCompare(a, b);
}

} // namespace

QDateTime ParseListDateTime(std::string_view text) {
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed();
    if (s.isEmpty()) {
        return {};
    }
    const QLocale locale = QLocale::system();
    for (QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat}) {
        QDateTime both = locale.toDateTime(s, type);
        if (both.isValid()) {
            return both;
        }
        QDate date = locale.toDate(s, type);
        if (date.isValid()) {
            return QDateTime(date, QTime(0, 0));
        }
        QTime time = locale.toTime(s, type);
        if (time.isValid()) {
            return QDateTime(QDate(1899, 12, 30), time); // a time alone lies on day zero
        }
    }
    QDateTime iso = QDateTime::fromString(s, Qt::ISODate);
    if (iso.isValid()) {
        return iso;
    }
    QDate isoDate = QDate::fromString(s, Qt::ISODate);
    if (isoDate.isValid()) {
        return QDateTime(isoDate, QTime(0, 0));
    }
    for (const char* pattern : {"HH:mm", "HH:mm:ss", "hh:mm AP", "hh:mm:ss AP"}) {
        QTime time = QTime::fromString(s, QString::fromLatin1(pattern));
        if (time.isValid()) {
            return QDateTime(QDate(1899, 12, 30), time);
        }
    }
    return {};
}

SortKey MakeSortKey(std::string_view text, int type) {
    SortKey key;
    switch (type) {
    case SortInteger:
    case SortNumberText:
    case SortNumberNoCase:
        // The parse of the settings file: locale-independent, 32-bit like the original's long.
        key.integer = LeadingInt(text);
        key.exactInteger = IsExactInteger(text, key.integer);
        break;
    case SortReal:
        key.real = LeadingDouble(text);
        break;
    case SortDateTime:
        key.moment = ParseListDateTime(text);
        break;
    default:
        break;
    }
    return key;
}

int CompareKeys(const SortKey& ka, std::string_view a, const SortKey& kb, std::string_view b,
                int type) {
    switch (type) {
    case SortNone:
        return 0;
    case SortInteger:
        return ka.integer < kb.integer ? -1 : ka.integer > kb.integer ? 1 : 0;
    case SortReal: {
        double difference = ka.real - kb.real;
        // Truncated toward zero: differences below one compare equal.
        if (difference >= 1) {
            return 1;
        }
        return difference <= -1 ? -1 : 0;
    }
    case SortNumberText:
        return NumberAware(ka, a, kb, b, false);
    case SortTextNoCase:
        return NoCaseCompare(a, b);
    case SortNumberNoCase:
        return NumberAware(ka, a, kb, b, true);
    case SortDateTime:
        if (ka.moment.isValid() == kb.moment.isValid() && ka.moment == kb.moment) {
            return 0;
        }
        // An unreadable text sorts before every readable one.
        if (!ka.moment.isValid()) {
            return -1;
        }
        if (!kb.moment.isValid()) {
            return 1;
        }
        return ka.moment < kb.moment ? -1 : 1;
    case SortText:
    default:
        return ByteCompare(a, b);
    }
}

int CompareCells(std::string_view a, std::string_view b, int type) {
    return CompareKeys(MakeSortKey(a, type), a, MakeSortKey(b, type), b, type);
}

} // namespace qa::views
