#pragma once

#include "print/patient_report.h"
#include "store/patient_history.h"

#include <QDate>
#include <QDialog>

#include <functional>
#include <string>

class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QPushButton;
class QTableWidget;

namespace qa {

class PrintDialogService;
class Prompter;
class UserStore;

// One patient's results from all of the operator's files: summary figures of each kind, the
// HbA1c chart with the operator's target lines and the glucose chart with the range band,
// and every result newest first. Units and formats follow the operator's settings.
class PatientPage : public QDialog {
    Q_OBJECT
public:
    using TodayFn = std::function<QDate()>;

    PatientPage(UserStore& users, Prompter& prompter, PrintDialogService* print,
                std::string patientId, QWidget* parent = nullptr);

    // Reads the results again (after a change in the list).
    bool Reload();
    void SetToday(TodayFn today) { today_ = std::move(today); }
    // A PrintResult, or -1 without a print service.
    int PrintReport();

    const PatientReportData& Data() const { return data_; }
    // The line of results of each chart (x: ms since the epoch of the local measurement time).
    QLineSeries* ResultSeries(ResultKind kind) const;
    QChartView* ChartView(ResultKind kind) const;
    QLabel* SummaryLabel(ResultKind kind) const;
    QTableWidget* Table() const { return table_; }
    QPushButton* PrintButton() const { return printButton_; }
    // The warning shown when the records disagree about the name or birth date.
    QLabel* ConflictLabel() const { return conflict_; }

private:
    void Fill();
    void FitToScreen();
    void FillChart(ResultKind kind);
    QDate Today() const;

    UserStore& users_;
    Prompter& prompter_;
    PrintDialogService* print_;
    PatientReportData data_;
    TodayFn today_;

    QLabel* title_ = nullptr;
    QLabel* conflict_ = nullptr;
    QLabel* hba1cSummary_ = nullptr;
    QLabel* glucoseSummary_ = nullptr;
    QChartView* hba1cChart_ = nullptr;
    QChartView* glucoseChart_ = nullptr;
    QLineSeries* hba1cSeries_ = nullptr;
    QLineSeries* glucoseSeries_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* printButton_ = nullptr;
};

} // namespace qa
