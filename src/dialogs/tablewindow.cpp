#include "dialogs/tablewindow.hpp"

#include "model/tablewindow.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace fk::dialogs {

namespace {

QString toQt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TableWindow::TableWindow(const app::TableRequest& request, QWidget* parent)
    : QDialog(parent), request_(request),
      table_(new QTableWidget(static_cast<int>(request.rows.size()), 2, this)),
      option_(new QCheckBox(toQt(request.optionText), this)) {
    setWindowTitle(toQt(request.title));
    table_->setHorizontalHeaderLabels({tr("Plot"), tr("Role")});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    for (int r = 0; r < table_->rowCount(); ++r) {
        const app::TableRow& row = request.rows[static_cast<size_t>(r)];
        auto* name = new QTableWidgetItem(toQt(row.name));
        name->setFlags(Qt::ItemIsEnabled);
        table_->setItem(r, 0, name);
        auto* choice = new QComboBox(table_);
        for (const auto& c : request.choices)
            choice->addItem(toQt(c));
        if (choice->findText(toQt(row.choice)) < 0)
            choice->addItem(toQt(row.choice)); // a role the list leaves out ("inner12") stays as it is
        choice->setCurrentText(toQt(row.choice));
        table_->setCellWidget(r, 1, choice);
        connect(choice, &QComboBox::currentTextChanged, this, &TableWindow::followChoices);
    }
    table_->resizeColumnsToContents();
    option_->setChecked(request.option);
    followChoices();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(option_);
    layout->addWidget(buttons);
}

// The option is cleared and greyed while a row's choice makes it moot (a plot is the outline).
void TableWindow::followChoices() {
    std::vector<std::string> choices;
    for (int r = 0; r < table_->rowCount(); ++r)
        choices.push_back(static_cast<QComboBox*>(table_->cellWidget(r, 1))->currentText().toStdString());
    const bool applies = model::optionApplies(choices, request_.optionMootBy);
    if (!applies)
        option_->setChecked(false);
    option_->setEnabled(applies);
}

app::TableRequest TableWindow::answered() const {
    app::TableRequest answer = request_;
    for (int r = 0; r < table_->rowCount(); ++r) {
        const auto* choice = static_cast<QComboBox*>(table_->cellWidget(r, 1));
        answer.rows[static_cast<size_t>(r)].choice = choice->currentText().toStdString();
    }
    answer.option = option_->isChecked();
    return answer;
}

bool showTableWindow(app::TableRequest& request, QWidget* parent) {
    TableWindow window(request, parent);
    if (window.exec() != QDialog::Accepted)
        return false;
    request = window.answered();
    return true;
}

} // namespace fk::dialogs
