#include "ui/norms_table_model.hpp"

#include <functional>

#include "norms/write/csv_table.hpp"
#include "norms/write/report.hpp"
#include "norms/write/table_cells.hpp"
#include "stats/number_format.hpp"

namespace ui {
namespace {

using norms::Extended;

QString fixed(Extended value, int decimals)
{
    return QString::fromStdString(stats::format_fixed(value, 0, decimals));
}

QString rank(Extended pr)
{
    return QString::fromStdString(norms::RankText(pr));
}

QString csv(Extended value)
{
    return QString::fromStdString(norms::CsvNumber(value));
}

}  // namespace

NormsTableModel::NormsTableModel(const norms::StudyTables& tables, const norms::StudyGroup& group,
                                 QObject* parent)
    : QAbstractTableModel(parent)
{
    headers_ = {"Raw score", "Frequency", "PR", "95% lower", "95% upper", "90% lower",
                "90% upper"};
    // The added columns hold the values vornak-batch --csv prints; each is shown as a window
    // rounds its kind: a scale's as a test manual prints it, a cut-off's probability to three
    // decimals.
    std::vector<std::function<QString(Extended)>> shown;
    for (const stats::NormScale& scale : tables.scales)
        for (const std::string& title : norms::ScaleColumnTitles(scale)) {
            headers_ << QString::fromStdString(title);
            shown.push_back([scale](Extended score) {
                return QString::fromStdString(norms::ScaleCellText(scale, score));
            });
        }
    for (const norms::Cutoff& cutoff : tables.cutoffs) {
        headers_ << QString("P(PR < %1)").arg(QString::fromStdString(cutoff.text));
        shown.push_back([](Extended probability) { return fixed(probability, 3); });
    }
    const std::vector<norms::TableColumn> added = norms::StudyAddedColumns(tables, group);

    const norms::NormsRun& run = group.run;
    for (int j = 0; j < run.row_count; ++j) {
        const norms::NormsRow& row = run.table[j];
        std::vector<Cell> line = {
            {fixed(row.RawScore, 0), csv(row.RawScore)},
            {fixed(row.Frequency, 0), csv(row.Frequency)},
            {rank(row.PR), csv(row.PR)},
            {fixed(row.Lower95 * 100, 1), csv(row.Lower95)},
            {fixed(row.Upper95 * 100, 1), csv(row.Upper95)},
            {fixed(row.Lower90 * 100, 1), csv(row.Lower90)},
            {fixed(row.Upper90 * 100, 1), csv(row.Upper90)},
        };
        for (std::size_t i = 0; i < added.size(); ++i) {
            const Extended value = added[i].value(row);
            line.push_back({shown[i](value), csv(value)});
        }
        cells_.push_back(std::move(line));
    }
}

int NormsTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(cells_.size());
}

int NormsTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant NormsTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const Cell& cell = cells_[index.row()][index.column()];
    switch (role) {
    case Qt::DisplayRole:
        return cell.shown;
    case CsvValueRole:
        return cell.csv;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant NormsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return headers_.value(section);
    return {};
}

QString NormsTableModel::tab_separated(const QList<int>& rows) const
{
    QString text = headers_.join('\t') + '\n';
    const auto add_row = [&](int row) {
        QStringList fields;
        for (const Cell& cell : cells_[row])
            fields << cell.shown;
        text += fields.join('\t') + '\n';
    };
    if (rows.isEmpty()) {
        for (int row = 0; row < rowCount(); ++row)
            add_row(row);
    } else {
        for (int row : rows)
            add_row(row);
    }
    return text;
}

}  // namespace ui
