// One norm group's table as the study window shows it: the ranks rounded as the report rounds
// them, the norm scales as a test manual prints them, and each cell's full value as
// vornak-batch --csv prints it under CsvValueRole.
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

#include "norms/run/norms_study.hpp"

namespace ui {

class NormsTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int CsvValueRole = Qt::UserRole + 1;

    NormsTableModel(const norms::StudyTables& tables, const norms::StudyGroup& group,
                    QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The header line and the given rows (all when empty), as tab-separated text with a line
    // feed after each line, so that it pastes into a spreadsheet as cells.
    QString tab_separated(const QList<int>& rows = {}) const;

private:
    struct Cell {
        QString shown;
        QString csv;
    };

    QStringList headers_;
    std::vector<std::vector<Cell>> cells_;
};

}  // namespace ui
