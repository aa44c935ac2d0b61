#include "ui/norms_table_model.hpp"

namespace ui {

NormsTableModel::NormsTableModel(QObject* parent, norms::ShownTable table)
    : QAbstractTableModel(parent), table_(std::move(table))
{
}

void NormsTableModel::set_table(norms::ShownTable table)
{
    beginResetModel();
    table_ = std::move(table);
    endResetModel();
}

int NormsTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(table_.rows.size());
}

int NormsTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(table_.header.size());
}

QVariant NormsTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const norms::ShownCell& cell = table_.rows[index.row()][index.column()];
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(cell.shown);
    case CsvValueRole:
        return QString::fromStdString(cell.csv);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant NormsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= columnCount())
        return {};
    return QString::fromStdString(table_.header[static_cast<std::size_t>(section)]);
}

QString NormsTableModel::tab_separated(const QList<int>& rows) const
{
    return QString::fromStdString(norms::TabSeparated(table_, {rows.begin(), rows.end()}));
}

}  // namespace ui
