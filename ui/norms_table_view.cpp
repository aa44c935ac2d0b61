#include "ui/norms_table_view.hpp"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>

namespace ui {

NormsTableView::NormsTableView(QWidget* parent)
    : QTableView(parent), model_(new NormsTableModel(this))
{
    setModel(model_);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    verticalHeader()->hide();
    // Rows as close as a printed norms table's.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

void NormsTableView::set_table(norms::ShownTable table)
{
    model_->set_table(std::move(table));
    resizeColumnsToContents();
}

void NormsTableView::copy_rows() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    QApplication::clipboard()->setText(model_->tab_separated(rows));
}

void NormsTableView::keyPressEvent(QKeyEvent* event)
{
    // The item view's own copy takes only the current cell.
    if (event->matches(QKeySequence::Copy))
        copy_rows();
    else
        QTableView::keyPressEvent(event);
}

}  // namespace ui
