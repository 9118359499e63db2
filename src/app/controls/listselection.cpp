#include "app/controls/listselection.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

namespace tunora {

int selectedRow(const QAbstractItemView *list)
{
    const QItemSelectionModel *selection = list->selectionModel();
    if (!selection)
        return -1;
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void selectRow(QAbstractItemView *list, int row)
{
    const QModelIndex index = list->model() ? list->model()->index(row, 0) : QModelIndex();
    if (!index.isValid())
        return;
    list->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->scrollTo(index);
}

} // namespace tunora
