#include "i18n/export_language.h"

#include "i18n/language.h"

#include <QCoreApplication>
#include <QStringList>

namespace qa {

CsvOptions CsvOptionsForLanguage(ResultKind kind, const std::vector<std::string>& extraHeadings) {
    QStringList fields = {Translate("qa::CsvHeader", QT_TRANSLATE_NOOP("qa::CsvHeader", "No")),
                          Translate("qa::CsvHeader", QT_TRANSLATE_NOOP("qa::CsvHeader", "Date")),
                          Translate("qa::CsvHeader", QT_TRANSLATE_NOOP("qa::CsvHeader", "Time")),
                          Translate("qa::CsvHeader", QT_TRANSLATE_NOOP("qa::CsvHeader", "Result"))};
    if (kind == ResultKind::HbA1c) {
        fields << Translate("qa::CsvHeader", QT_TRANSLATE_NOOP("qa::CsvHeader", "eAG"));
    }
    fields << Translate("qa::CsvHeader", QT_TRANSLATE_NOOP("qa::CsvHeader", "Patient ID"));
    for (const std::string& heading : extraHeadings) {
        QString text = Translate("qa::ListHeading", heading.c_str());
        if (text.contains(',') || text.contains('"') || text.contains('\n')) {
            text = '"' + text.replace('"', QStringLiteral("\"\"")) + '"';
        }
        fields << text;
    }
    CsvOptions options;
    options.header = fields.join(',').toStdString() + "\n";
    options.encoding =
        CurrentLanguage() == Language::English ? CsvEncoding::Utf8WithBom : CsvEncoding::Cp949;
    return options;
}

} // namespace qa
