#pragma once
// The properties editor: a definition's parameters with their values, saved for all users
// however the window is closed.

#include <QDialog>
#include <string>

#include "forms/parameter_rows.h"
#include "ui/key_handler.h"

class QTabWidget;
class QTableView;

namespace norvik::ui {

class ParameterTable;
class ParameterTableModel;

class FrmProperties : public QDialog {
  public:
    // An editor of the definition file's parameters on the given state and services.
    FrmProperties(QWidget* owner, std::string dateiname, ModuleState& state,
                  HostServices& services);
    ~FrmProperties() override;

    // The definition file.
    const std::string& Dateiname() const { return dateiname_; }
    // The rows behind the grid.
    ParameterRows& Rows() { return rows_; }
    // The grid.
    QTableView* Props() const;
    // Reads the rows from the file and the store into the grid.
    void ShowData();

    // Every way of closing ends here: the rows are saved first.
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void LayOutColumns();

    std::string dateiname_;
    ParameterRows rows_;
    QTabWidget* tabStrip_;
    ParameterTable* props_;
    ParameterTableModel* model_;
    KeyHandler keyhandler_;
    KeyPreview keyPreview_;
};

}  // namespace norvik::ui
