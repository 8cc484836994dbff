#pragma once

#include "store/patient_search.h"
#include "store/settings.h"

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace qa {

// The patients a search text may mean, one line each with what tells them apart (ID, every
// name and birth date on their records, number of results, newest date); the operator picks
// one, and only that patient's results are listed.
class PatientChooser : public QDialog {
    Q_OBJECT
public:
    PatientChooser(const QString& typed, const PatientSearch& search, const SettingsStore& settings,
                   QWidget* parent = nullptr);

    QTableWidget* Table() const { return table_; }
    QPushButton* ChooseButton() const { return choose_; }
    // Selects the line of `patientId` (stored bytes); false when it is not offered.
    bool Select(const std::string& patientId);
    // The stored ID of the chosen line; empty before a choice.
    std::string ChosenId() const;

private:
    std::vector<std::string> ids_;
    QTableWidget* table_ = nullptr;
    QPushButton* choose_ = nullptr;
};

} // namespace qa
