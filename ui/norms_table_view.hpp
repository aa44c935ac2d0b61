// The one view of a norms table, in the norm-scales window and in each of the study window's
// group tabs: whole rows selected, figures in a fixed-pitch font, and Ctrl+C copying the
// selected rows (or all) as tab-separated text that pastes into a spreadsheet as cells.
#pragma once

#include <QTableView>

#include "ui/norms_table_model.hpp"

namespace ui {

class NormsTableView : public QTableView {
    Q_OBJECT

public:
    explicit NormsTableView(QWidget* parent);

    void set_table(norms::ShownTable table);
    const NormsTableModel& table_model() const { return *model_; }

    // Puts the selected rows, or all rows when none is selected, on the clipboard after a
    // header line.
    void copy_rows() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    NormsTableModel* model_;
};

}  // namespace ui
