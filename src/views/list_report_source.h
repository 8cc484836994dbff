#pragma once

#include "print/report_source.h"
#include "views/data_list_view.h"

#include <QCoreApplication>

namespace qa::views {

// The data report reads a list as the operator sees it: hidden columns print with no width,
// and widths are screen pixels at the list's own resolution.
class ListViewReportSource : public ReportSource {
public:
    explicit ListViewReportSource(const DataListView& list) : list_(list) {}

    int ColumnCount() const override { return list_.ColumnCount(); }
    // As the list shows it: in the current language.
    QString Heading(int column) const override {
        return QCoreApplication::translate("qa::ListHeading",
                                           list_.ColumnHeading(column).toUtf8().constData());
    }
    int ColumnWidth(int column) const override { return list_.ColumnWidth(column); }
    bool ColumnVisible(int column) const override { return list_.IsColumnVisible(column); }
    int RowCount() const override { return list_.RowCount(); }
    QString CellText(int row, int column) const override { return list_.CellText(row, column); }
    double ScreenDotsPerInch() const override { return list_.logicalDpiX(); }

private:
    const DataListView& list_;
};

} // namespace qa::views
