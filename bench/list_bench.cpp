// Loading the all-data list of a clinic's 100,000 stored rows up to its first painted screen,
// against SQLite alone stepping the list's query (Store/ReadAll100kSqlite). A model with one
// item object per cell, added row by row, is kept as a naive line.
#include "bench_data.h"
#include "budget.h"
#include "clinic_data.h"
#include "store/measurement_table.h"
#include "store/result_list.h"
#include "views/data_list_view.h"

#include <QApplication>
#include <QStandardItemModel>
#include <QTableView>

#include <benchmark/benchmark.h>

using namespace qa;
using namespace qa::bench;

namespace {

constexpr int kStoredRows = 100'000;

void AddColumns(QStringList& headings) {
    headings = {"No.", "Date", "Time", "Result", "eAG", "Patient ID"};
}

void LoadList(benchmark::State& state) {
    HbA1cTable table;
    Require(table.SetTableName(kMainTableName), "SetTableName");
    Require(table.Open(ClinicWorkingCopy(kStoredRows)), "Open");
    SettingsStore settings;
    views::DataListView list;
    QStringList headings;
    AddColumns(headings);
    for (const QString& heading : headings) {
        list.InsertColumn(list.ColumnCount(), heading, Qt::AlignCenter, 140);
    }
    list.resize(894, 467);
    for (auto _ : state) {
        list.DeleteAllRows();
        ResultList loaded = LoadResultList(table, settings, false);
        list.SetRows(std::move(loaded.cells));
        list.SelectRow(0);
        QPixmap screen = list.grab();
        benchmark::DoNotOptimize(screen);
        if (list.RowCount() != kStoredRows) {
            state.SkipWithError("rows missing");
            break;
        }
    }
}
BENCHMARK(LoadList)->Name("Views/LoadList100k")->Unit(benchmark::kMillisecond);

// The straightforward pattern: an item object for every cell, appended one row at a time.
void LoadListItems(benchmark::State& state) {
    HbA1cTable table;
    Require(table.SetTableName(kMainTableName), "SetTableName");
    Require(table.Open(ClinicWorkingCopy(kStoredRows)), "Open");
    SettingsStore settings;
    QStringList headings;
    AddColumns(headings);
    for (auto _ : state) {
        QStandardItemModel model;
        model.setHorizontalHeaderLabels(headings);
        QTableView view;
        view.setModel(&model);
        view.resize(894, 467);
        ResultList loaded = LoadResultList(table, settings, false);
        for (const auto& cells : loaded.cells) {
            QList<QStandardItem*> row;
            for (const std::string& cell : cells) {
                row.append(new QStandardItem(QString::fromStdString(cell)));
            }
            model.appendRow(row);
        }
        view.selectRow(0);
        QPixmap screen = view.grab();
        benchmark::DoNotOptimize(screen);
        state.PauseTiming(); // freeing 600,000 items is not part of loading them
        view.setModel(nullptr);
        model.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(LoadListItems)
    ->Name("Views/LoadList100kItems")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

const bool kBudgets =
    AddBudget({"load the all-data list of 100,000 rows", "Views/LoadList100k",
               "Store/ReadAll100kSqlite", 300, "SQLite alone stepping the list's query"}) &&
    AddNaive(
        {"load the all-data list of 100,000 rows, an item per cell", "Views/LoadList100kItems"});

} // namespace
