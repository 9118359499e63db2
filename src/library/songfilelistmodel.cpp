#include "songfilelistmodel.h"

#include "platform/files/filenames.h"

namespace tunora {

QVariant SongFileListModel::data(const QModelIndex &index, int role) const
{
    // Only what is shown is decoded: the edit role and stringList() keep the file's name.
    if (role == Qt::DisplayRole)
        return displayFileName(QStringListModel::data(index, Qt::EditRole).toString());
    return QStringListModel::data(index, role);
}

} // namespace tunora
