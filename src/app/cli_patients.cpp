#include "app/cli_common.h"

#include "store/display_format.h"
#include "store/patient_history.h"
#include "store/safe_text.h"
#include "store/text_encoding.h"

namespace qa::cli {

int Cli::Patients() {
    if (int code = Extra(0); code != kExitOk) {
        return code;
    }
    std::optional<ResultKind> kind = KindOption(options_);
    if (!kind) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "--kind is hba1c or glucose")));
    }
    for (const char* option : {"--weeks", "--from", "--to", "--out", "--format", "--patient"}) {
        if (Value(options_, option)) {
            return Usage(
                CliText(QT_TRANSLATE_NOOP("qa::Cli", "%1 does not go with patients"), {option}));
        }
    }
    if (int code = OpenUser(true); code != kExitOk) {
        return code;
    }
    MeasurementTable& table = *kind == ResultKind::HbA1c
                                  ? static_cast<MeasurementTable&>(users_->HbA1cMain())
                                  : users_->GlucoseMain();
    std::vector<PatientOverview> patients;
    std::string error;
    if (!ReadPatientOverview(table, patients, error)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The results cannot be read:\n")) << "  "
             << error << "\n";
        return kExitFailed;
    }
    const SettingsStore& settings = users_->Settings();
    // Headed like the list: the columns in the operator's language, tab-separated.
    out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "Patient ID\tResults\tLast date\tLast result"))
         << "\n";
    for (const PatientOverview& p : patients) {
        out_ << TsvField(DecodeStoredText(p.patientId)) << "\t" << p.count << "\t"
             << FormatDateText(settings, p.lastDate, p.lastTime) << "\t"
             << (*kind == ResultKind::HbA1c ? FormatHbA1cText(settings, p.lastValue, false)
                                            : FormatGlucoseText(settings, p.lastValue))
             << "\n";
    }
    return kExitOk;
}

} // namespace qa::cli
