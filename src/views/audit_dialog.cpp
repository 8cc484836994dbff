#include "views/audit_dialog.h"

#include "i18n/audit_text.h"
#include "i18n/message_text.h"
#include "store/audit_log.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace qa {

namespace {
constexpr int kDetailsColumn = 6;
} // namespace

AuditDialog::AuditDialog(std::string dataFolder, QWidget* parent)
    : QDialog(parent), folder_(std::move(dataFolder)) {
    setWindowTitle(tr("Audit log"));
    resize(sizeHint());
    patient_ = new QLineEdit(this);
    patient_->setObjectName("auditPatient");
    period_ = new QCheckBox(tr("Period"), this);
    from_ = new QDateEdit(QDate::currentDate().addMonths(-1), this);
    to_ = new QDateEdit(QDate::currentDate(), this);
    for (QDateEdit* edit : {from_, to_}) {
        edit->setDisplayFormat("yyyy/MM/dd");
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
    }
    search_ = new QPushButton(tr("Search"), this);
    auto* close = new QPushButton(tr("Close"), this);

    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(tr("Patient ID"), this));
    filters->addWidget(patient_);
    filters->addWidget(period_);
    filters->addWidget(from_);
    filters->addWidget(new QLabel("~", this));
    filters->addWidget(to_);
    filters->addWidget(search_);

    table_ = new QTableWidget(0, 7, this);
    table_->setHorizontalHeaderLabels({tr("Time"), tr("Operator"), tr("Account"), tr("Version"),
                                       tr("Action"), tr("Patient ID"), tr("Details")});
    // The details take the width the other columns leave and wrap within it, each row as
    // tall as its text: a long entry (a deletion names every field) reads whole without
    // scrolling sideways, in either language and at any scale. Rows are fitted where they
    // are seen, not all at once: measuring every row of a log grown to tens of thousands of
    // entries takes seconds, again at each resize.
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(kDetailsColumn, QHeaderView::Stretch);
    table_->setWordWrap(true);
    table_->setTextElideMode(Qt::ElideNone);
    table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    status_ = new QLabel(this);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(table_, 1);
    layout->addLayout(bottom);

    connect(period_, &QCheckBox::toggled, this, [this](bool on) {
        from_->setEnabled(on);
        to_->setEnabled(on);
    });
    connect(search_, &QPushButton::clicked, this, &AuditDialog::Search);
    connect(patient_, &QLineEdit::returnPressed, this, &AuditDialog::Search);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(table_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &AuditDialog::FitVisibleRows);
    connect(table_->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column == kDetailsColumn) {
            FitVisibleRows();
        }
    });
    Search();
}

void AuditDialog::FitVisibleRows() {
    const int rows = table_->rowCount();
    const int height = table_->viewport()->height();
    // Fitting a row moves the ones under it: go on until the fitted rows fill the view.
    for (int r = std::max(table_->rowAt(0), 0); r < rows; ++r) {
        table_->resizeRowToContents(r);
        if (table_->rowViewportPosition(r) + table_->rowHeight(r) >= height) {
            break;
        }
    }
}

QSize AuditDialog::sizeHint() const {
    QSize wanted(1100, 600);
    if (const QScreen* shown = screen()) {
        wanted = wanted.boundedTo(shown->availableGeometry().size() * 9 / 10);
    }
    return wanted.expandedTo(QDialog::sizeHint());
}

void AuditDialog::Search() {
    AuditQuery query;
    query.patientId = patient_->text().trimmed().toStdString();
    if (period_->isChecked()) {
        query.fromDay = from_->date().toString("yyyyMMdd").toStdString();
        query.toDay = to_->date().toString("yyyyMMdd").toStdString();
    }
    table_->setRowCount(0);
    const Expected<std::vector<AuditEntry>> read = ReadAudit(folder_, query);
    if (!read) {
        status_->setText(tr("The audit log cannot be read: %1").arg(MessageText(read.error())));
        return;
    }
    const std::vector<AuditEntry>& entries = *read;
    table_->setRowCount(static_cast<int>(entries.size()));
    for (int r = 0; r < static_cast<int>(entries.size()); ++r) {
        const AuditEntry& e = entries[static_cast<std::size_t>(r)];
        // Action and detail in the reader's language; the rest is data.
        const QString cells[] = {QString::fromStdString(e.time),
                                 QString::fromStdString(e.operatorId),
                                 QString::fromStdString(e.account),
                                 QString::fromStdString(e.version),
                                 AuditActionText(e.action),
                                 QString::fromStdString(e.patientId),
                                 AuditDetailText(e)};
        for (int c = 0; c < 7; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == kDetailsColumn) {
                item->setToolTip(cells[c]);
            }
            table_->setItem(r, c, item);
        }
    }
    FitVisibleRows();
    status_->setText(entries.size() == 1 ? tr("1 entry") : tr("%1 entries").arg(entries.size()));
}

} // namespace qa
