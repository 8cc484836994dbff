#pragma once

#include <QString>

#include <vector>

namespace qa {

// What the data report reads from a list: the columns by index with their headings and
// screen widths, and the rows in display order. The all-data page implements it over its list
// widget; the command line uses TableReportSource.
class ReportSource {
public:
    virtual ~ReportSource() = default;
    virtual int ColumnCount() const = 0;
    virtual QString Heading(int column) const = 0;
    // Width on the screen in pixels.
    virtual int ColumnWidth(int column) const = 0;
    // A hidden column prints with no width, as it shows on the screen.
    virtual bool ColumnVisible(int) const { return true; }
    virtual int RowCount() const = 0;
    virtual QString CellText(int row, int column) const = 0;
    // The screen's logical resolution: the report groups columns by how wide they look.
    virtual double ScreenDotsPerInch() const { return 96.0; }
};

// A report source over plain vectors.
class TableReportSource : public ReportSource {
public:
    void AddColumn(const QString& heading, int width);
    void AddRow(std::vector<QString> cells);
    void SetColumnVisible(int column, bool visible);
    void SetScreenDotsPerInch(double dpi) { dpi_ = dpi; }
    void Reserve(std::size_t rows) { rows_.reserve(rows); }

    int ColumnCount() const override { return static_cast<int>(headings_.size()); }
    QString Heading(int column) const override;
    int ColumnWidth(int column) const override;
    bool ColumnVisible(int column) const override;
    int RowCount() const override { return static_cast<int>(rows_.size()); }
    QString CellText(int row, int column) const override;
    double ScreenDotsPerInch() const override { return dpi_; }

private:
    std::vector<QString> headings_;
    std::vector<int> widths_;
    std::vector<bool> visible_;
    std::vector<std::vector<QString>> rows_;
    double dpi_ = 96.0;
};

} // namespace qa
