#include "app/cli_common.h"

#include "store/display_format.h"
#include "store/patient_history.h"
#include "store/patient_search.h"
#include "store/safe_text.h"
#include "store/text_encoding.h"

#include <algorithm>

namespace qa::cli {

int Cli::ResolvePatient(const std::string& typed, std::string& id) {
    std::vector<std::string> found;
    for (MeasurementTable* table : {static_cast<MeasurementTable*>(&users_->HbA1cMain()),
                                    static_cast<MeasurementTable*>(&users_->GlucoseMain())}) {
        if (!table->IsOpen()) {
            continue;
        }
        Expected<std::vector<std::string>> ids = FindWholePatientIds(*table, typed);
        if (!ids) {
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The results cannot be read:\n")) << "  "
                 << MessageUtf8(ids.error()) << "\n";
            return kExitFailed;
        }
        for (std::string& one : *ids) {
            if (std::find(found.begin(), found.end(), one) == found.end()) {
                found.push_back(std::move(one));
            }
        }
    }
    const auto first = typed.find_first_not_of(" \t");
    const std::string trimmed =
        first == std::string::npos ? std::string()
                                   : typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
    if (found.size() > 1) {
        // The exact spelling, when one of them has it, is the one meant.
        if (std::find(found.begin(), found.end(), trimmed) != found.end()) {
            id = trimmed;
            return kExitOk;
        }
        std::string names;
        for (const std::string& one : found) {
            names += (names.empty() ? "" : ", ") + DecodeStoredText(one);
        }
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli",
                                          "\"%1\" is the ID of several patients (%2); give "
                                          "the ID as it is stored"),
                        {trimmed, names})
             << "\n";
        return kExitFailed;
    }
    id = found.empty() ? trimmed : found.front();
    return kExitOk;
}

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
    const Expected<std::vector<PatientOverview>> overview = ReadPatientOverview(table);
    if (!overview) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The results cannot be read:\n")) << "  "
             << MessageUtf8(overview.error()) << "\n";
        return kExitFailed;
    }
    const std::vector<PatientOverview>& patients = *overview;
    const SettingsStore& settings = users_->Settings();
    // Headed like the list: the columns in the operator's language, tab-separated.
    // The first four columns are those of earlier versions; who the records say the patient
    // is follows, every variant of it, and a mark where the records disagree.
    out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "Patient ID\tResults\tLast date\tLast result"))
         << "\t" << CliText(QT_TRANSLATE_NOOP("qa::Cli", "Name\tBirth date\tRecords")) << "\n";
    const std::string disagree = CliText(QT_TRANSLATE_NOOP("qa::Cli", "DISAGREE"));
    auto variants = [](const std::vector<PatientIdentity::Variant>& list, auto&& text) {
        std::string cell;
        for (const auto& variant : list) {
            cell += (cell.empty() ? "" : " | ") + text(variant.text);
            if (list.size() > 1) {
                cell += " (" + std::to_string(variant.count) + ")";
            }
        }
        return cell;
    };
    for (const PatientOverview& p : patients) {
        out_ << TsvField(DecodeStoredText(p.patientId)) << "\t" << p.count << "\t"
             << FormatDateText(settings, p.lastDate, p.lastTime) << "\t"
             << (*kind == ResultKind::HbA1c ? FormatHbA1cText(settings, p.lastValue, false)
                                            : FormatGlucoseText(settings, p.lastValue))
             << "\t" << variants(p.identity.names, [](const std::string& t) { return TsvField(t); })
             << "\t"
             << variants(p.identity.birthDates,
                         [&](const std::string& t) {
                             const std::string date = FormatDateText(settings, t, "0000");
                             return date.empty() || date.starts_with(kInvalidDateMark) ? TsvField(t)
                                                                                       : date;
                         })
             << "\t" << (p.identity.Disagrees() ? disagree : std::string()) << "\n";
    }
    return kExitOk;
}

} // namespace qa::cli
