#include "all_data_page.h"

#include "result_list.h"
#include "users.h"

namespace qa {

AllDataPage::AllDataPage(UserStore& users, Prompter& prompter, FileService& files,
                         PrintDialogService* print, FrameCommandFn command, QWidget* parent)
    : FormPage(178, std::move(command), parent), users_(users), prompter_(prompter), files_(files),
      print_(print) {
    AddNavigation(kCmdViewData);
    list_ = new views::CListCtrlExt(this);
    list_->setObjectName("allDataList");
    list_->SetControlId(1001);
    list_->setGeometry(60, 190, 894, 467);
    list_->SetRowHeight(32);
    BuildColumns();
}

void AllDataPage::BuildColumns() {
    list_->DeleteAllRows();
    list_->DeleteAllColumns();
    struct Column {
        const char* heading;
        int width;
    };
    std::vector<Column> columns =
        itemKind_ == 0
            ? std::vector<Column>{{"No.", 80},     {"Date", 150}, {"Time", 100},
                                  {"Result", 180}, {"eAG", 180},  {"Patient ID", 180}}
            : std::vector<Column>{{"No.", 80}, {"Date", 150}, {"Time", 100}, {"Result", 200}};
    for (std::size_t i = 0; i < columns.size(); ++i) {
        int c = static_cast<int>(i);
        list_->InsertColumn(c, columns[i].heading, Qt::AlignCenter, columns[i].width);
        list_->SetColumnSort(c, 4, 1);
    }
    list_->SetColumnHideable(0, false);
}

void AllDataPage::Activate() {
    BuildColumns();
    LoadList();
}

void AllDataPage::LoadList() {
    list_->DeleteAllRows();
    MeasurementTable& table = itemKind_ == 0 ? static_cast<MeasurementTable&>(users_.HbA1cMain())
                                             : static_cast<MeasurementTable&>(users_.GlucoseMain());
    if (!table.IsOpen()) {
        return;
    }
    ResultList rows = LoadResultList(table, users_.Settings(), false);
    list_->SetRows(std::move(rows.cells));
    if (list_->RowCount() > 0) {
        list_->SelectRow(0);
    }
}

} // namespace qa
