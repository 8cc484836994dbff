#include "views/patient_chooser.h"

#include "print/patient_report.h"
#include "store/display_format.h"
#include "store/text_encoding.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace qa {

namespace {

QString Joined(const std::vector<QString>& texts) {
    QStringList list(texts.begin(), texts.end());
    return list.join(QStringLiteral(" / "));
}

} // namespace

PatientChooser::PatientChooser(const QString& typed, const PatientSearch& search,
                               const SettingsStore& settings, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("PatientChooser"));
    setWindowTitle(tr("Choose the patient"));
    auto* layout = new QVBoxLayout(this);
    QString intro = tr("\"%1\" matches %2 patients. Choose the one whose results to list:")
                        .arg(typed)
                        .arg(search.candidates.size());
    if (search.more) {
        intro +=
            QLatin1Char('\n') + tr("Only the first %1 are shown: type more of the ID or the name.")
                                    .arg(search.candidates.size());
    }
    auto* label = new QLabel(intro, this);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);

    table_ = new QTableWidget(static_cast<int>(search.candidates.size()), 5, this);
    table_->setHorizontalHeaderLabels(
        {tr("Patient ID"), tr("Name"), tr("Birth date"), tr("Results"), tr("Newest")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->setVisible(false);
    table_->setWordWrap(false);
    int row = 0;
    for (const PatientCandidate& candidate : search.candidates) {
        ids_.push_back(candidate.patientId);
        std::vector<QString> names;
        for (const std::string& name : candidate.names) {
            names.push_back(QString::fromStdString(name));
        }
        std::vector<QString> births;
        for (const std::string& birth : candidate.birthDates) {
            births.push_back(BirthDateText(settings, birth));
        }
        const QString cells[] = {
            QString::fromStdString(DecodeStoredText(candidate.patientId)), Joined(names),
            Joined(births), QString::number(candidate.count),
            QString::fromStdString(FormatDateText(settings, candidate.newestDate, "0000"))};
        for (int column = 0; column < 5; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setToolTip(cells[column]);
            if (column == 3) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            table_->setItem(row, column, item);
        }
        ++row;
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_, 1);

    auto* buttons = new QDialogButtonBox(this);
    choose_ = buttons->addButton(tr("Show this patient"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { accept(); });
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            [this] { choose_->setEnabled(!table_->selectedItems().isEmpty()); });
    // Nothing is chosen for the operator: two patients of one name must be told apart first.
    choose_->setEnabled(false);

    // Wide enough for the columns, never wider or taller than a small screen allows.
    int width = 40;
    for (int column = 0; column < 5; ++column) {
        width += table_->columnWidth(column);
    }
    const int rows = std::min(static_cast<int>(search.candidates.size()), 8);
    resize(std::clamp(width, 480, 900),
           std::min(200 + rows * table_->verticalHeader()->defaultSectionSize(), 520));
}

bool PatientChooser::Select(const std::string& patientId) {
    for (std::size_t i = 0; i < ids_.size(); ++i) {
        if (ids_[i] == patientId) {
            table_->selectRow(static_cast<int>(i));
            return true;
        }
    }
    return false;
}

std::string PatientChooser::ChosenId() const {
    const QList<QTableWidgetItem*> selected = table_->selectedItems();
    if (selected.isEmpty()) {
        return {};
    }
    const int row = selected.front()->row();
    return row >= 0 && row < static_cast<int>(ids_.size()) ? ids_[static_cast<std::size_t>(row)]
                                                           : std::string();
}

} // namespace qa
