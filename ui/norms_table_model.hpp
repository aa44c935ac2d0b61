// A norms table as every window shows it: the cells and column titles of norms::ShownTable,
// right-aligned, with each cell's full value as vornak-batch --csv prints it under CsvValueRole.
#pragma once

#include <QAbstractTableModel>
#include <QList>

#include "norms/write/table_cells.hpp"

namespace ui {

class NormsTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int CsvValueRole = Qt::UserRole + 1;

    explicit NormsTableModel(QObject* parent, norms::ShownTable table = {});

    void set_table(norms::ShownTable table);
    const norms::ShownTable& table() const { return table_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The header line and the given rows (all when empty), as tab-separated text with a line
    // feed after each line, so that it pastes into a spreadsheet as cells.
    QString tab_separated(const QList<int>& rows = {}) const;

private:
    norms::ShownTable table_;
};

}  // namespace ui
