// The all-data page with a clinic's 100,000 stored HbA1c results: activated up to its first
// painted screen, against SQLite alone reading the list's row ids in list order
// (Scale/SqliteIds); and exported to CSV, against the sqlite3 shell writing the same columns in
// the same order as CSV (Scale/Sqlite3). Reading every row through a statement of its own and
// an export that converts each cell on its own are kept as naive lines.
#include "bench_data.h"
#include "budget.h"
#include "clinic_data.h"
#include "store/display_format.h"
#include "store/text_encoding.h"
#include "store/users.h"
#include "views/all_data_page.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QFile>
#include <QSettings>

#include <filesystem>

static void InitAllPageResources() {
    Q_INIT_RESOURCE(resources);
}

using namespace qa;
using namespace qa::bench;

namespace {

constexpr int kStoredRows = 100'000;

class SilentPrompter : public Prompter {
public:
    bool Confirm(const qa::Message&, const qa::Message&) override { return true; }
    void Inform(const qa::Message&, const qa::Message&, Severity) override {}
};

class FixedFile : public FileService {
public:
    explicit FixedFile(QString path) : path_(std::move(path)) {}
    QString AskSavePath(QWidget*) override { return path_; }
    bool OpenFile(const QString&) override { return true; }

private:
    QString path_;
};

// A data folder whose default user holds a clinic's 100,000 HbA1c results (and a tenth as many
// glucose results), and the page over it. The
// column layout goes to the scratch folder, not to the profile of whoever runs this.
struct PageFixture {
    SilentPrompter prompter;
    std::string folder = ScratchFolder() + "/allpage";
    std::unique_ptr<UserStore> users;
    FixedFile files{QString::fromStdString(ScratchFolder() + "/allpage.csv")};
    std::unique_ptr<AllDataPage> page;

    PageFixture() {
        InitAllPageResources();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(ScratchFolder() + "/config"));
        std::filesystem::create_directories(folder);
        users = std::make_unique<UserStore>(folder, prompter);
        Require(users->Reload(), "Reload");
        users->CloseTables();
        CopyFile(ClinicHbA1cFile(kStoredRows), users->FilesOf(users->ActiveUserId()).hba1cMain);
        CopyFile(ClinicGlucoseFile(kStoredRows), users->FilesOf(users->ActiveUserId()).glucoseMain);
        Require(users->Reload(), "Reload");
        page = std::make_unique<AllDataPage>(*users, prompter, files, nullptr, [](FrameCommand) {});
        page->resize(1014, 738);
    }
};

PageFixture& Fixture() {
    static PageFixture* fixture = new PageFixture; // widgets outlive every benchmark
    return *fixture;
}

void ShowPage(benchmark::State& state) {
    PageFixture& f = Fixture();
    for (auto _ : state) {
        f.page->Activate();
        QPixmap screen = f.page->grab();
        benchmark::DoNotOptimize(screen);
        if (f.page->List()->RowCount() != kStoredRows) {
            state.SkipWithError("rows missing");
            break;
        }
    }
}
BENCHMARK(ShowPage)->Name("Views/AllDataPage100k")->Unit(benchmark::kMillisecond)->UseRealTime();

// The same screen, each row read by a statement prepared, stepped and finalized for it.
void ShowPagePerRowStatement(benchmark::State& state) {
    PageFixture& f = Fixture();
    HbA1cTable& table = f.users->HbA1cMain();
    const SettingsStore& settings = f.users->Settings();
    views::DataListView* list = f.page->List();
    auto text = [](sqlite3_stmt* statement, int column) {
        const unsigned char* t = sqlite3_column_text(statement, column);
        return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
    };
    for (auto _ : state) {
        list->DeleteAllRows();
        Require(table.ResetView(), "ResetView");
        std::vector<std::vector<std::string>> cells;
        std::vector<ListRow> rows;
        for (int i = 1; i <= table.RowCount(); ++i) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(
                table.Handle(),
                FormatSql("SELECT * FROM [HospitalTlb] WHERE ROWID = %d", table.RowIdAt(i)).c_str(),
                -1, &statement, nullptr);
            if (sqlite3_step(statement) == SQLITE_ROW) {
                ListRow row;
                row.rowIndex = i - 1;
                row.date = text(statement, 0);
                row.time = text(statement, 1);
                row.value = text(statement, 2);
                row.patientId = text(statement, 3);
                row.operatorId = text(statement, 4);
                cells.push_back({std::to_string(i), FormatDateText(settings, row.date, row.time),
                                 FormatTimeText(settings, row.date, row.time),
                                 FormatHbA1cText(settings, row.value, false),
                                 FormatHbA1cText(settings, row.value, true), row.patientId});
                rows.push_back(std::move(row));
            }
            sqlite3_finalize(statement);
        }
        list->SetRows(std::move(cells));
        list->SelectRow(0);
        QPixmap screen = f.page->grab();
        benchmark::DoNotOptimize(screen);
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(ShowPagePerRowStatement)
    ->Name("Views/AllDataPage100kPerRowStatement")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

void Export(benchmark::State& state) {
    PageFixture& f = Fixture();
    f.page->Activate();
    for (auto _ : state) {
        f.page->ExportList();
    }
    QFile written(QString::fromStdString(ScratchFolder() + "/allpage.csv"));
    if (!written.open(QIODevice::ReadOnly) || written.readAll().count('\n') < kStoredRows) {
        state.SkipWithError("export too short");
    }
}
BENCHMARK(Export)->Name("Views/Export100k")->Unit(benchmark::kMillisecond)->UseRealTime();

// Each cell taken as a QString and converted to code page 949 on its own.
void ExportPerCell(benchmark::State& state) {
    PageFixture& f = Fixture();
    f.page->Activate();
    const views::DataListView& list = *f.page->List();
    for (auto _ : state) {
        QFile file(QString::fromStdString(ScratchFolder() + "/allpage_literal.csv"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write("No,Date,Time,Result,eAG,Patient ID\n");
        for (int r = 0; r < list.RowCount(); ++r) {
            for (int c = 0; c < list.ColumnCount(); ++c) {
                QString cell = list.CellText(r, c);
                std::string bytes = Utf8ToCp949(cell.toStdString()).value_or("?");
                file.write(bytes.data(), static_cast<qint64>(bytes.size()));
                file.write(",");
            }
            file.write("\n");
        }
    }
}
BENCHMARK(ExportPerCell)
    ->Name("Views/Export100kPerCell")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

const bool kBudgets =
    AddBudget({"show the all-data page of 100,000 rows (first screen)", "Views/AllDataPage100k",
               "Scale/SqliteIds/100000", 300, "SQLite alone reading the list's row ids"}) &&
    AddBudget({"CSV export of 100,000 rows", "Views/Export100k", "Scale/Sqlite3/100000", 300,
               "the sqlite3 shell writing the same CSV"}) &&
    AddNaive({"show the all-data page of 100,000 rows, a statement per row",
              "Views/AllDataPage100kPerRowStatement"}) &&
    AddNaive({"CSV export of 100,000 rows, each cell converted alone", "Views/Export100kPerCell"});

} // namespace
