#pragma once

#include <QDialog>

#include <string>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace qa {

// "Audit log": the data folder's log of changes, exports and prints, newest last,
// narrowed to one patient ID and a period when those are given.
class AuditDialog : public QDialog {
    Q_OBJECT
public:
    AuditDialog(std::string dataFolder, QWidget* parent = nullptr);
    // Wide enough for the entries to read in a few lines, within the screen.
    QSize sizeHint() const override;

    QLineEdit* PatientEdit() const { return patient_; }
    QCheckBox* PeriodCheck() const { return period_; }
    QDateEdit* FromEdit() const { return from_; }
    QDateEdit* ToEdit() const { return to_; }
    QTableWidget* Table() const { return table_; }
    QLabel* Status() const { return status_; }

    // Reads the log again with the filters as they are.
    void Search();

private:
    // Each row the view shows as tall as its text.
    void FitVisibleRows();

    std::string folder_;
    QLineEdit* patient_;
    QCheckBox* period_;
    QDateEdit* from_;
    QDateEdit* to_;
    QPushButton* search_;
    QTableWidget* table_;
    QLabel* status_;
};

} // namespace qa
