// A job's small table (Fab Export's plot roles): a row per name with its choice in a list, and the option's
// check box below.
#pragma once

#include "app/context.hpp"

#include <QDialog>

class QCheckBox;
class QTableWidget;

namespace fk::dialogs {

class TableWindow : public QDialog {
    Q_OBJECT
  public:
    TableWindow(const app::TableRequest& request, QWidget* parent = nullptr);
    QTableWidget* table() const { return table_; }
    QCheckBox* option() const { return option_; }
    // The request with the choices and the option as the window shows them.
    app::TableRequest answered() const;

  private:
    void followChoices();
    app::TableRequest request_;
    QTableWidget* table_;
    QCheckBox* option_;
};

// Shows the window modally; true after OK, the request then answered.
bool showTableWindow(app::TableRequest& request, QWidget* parent);

} // namespace fk::dialogs
