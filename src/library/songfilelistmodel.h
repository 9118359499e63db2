#pragma once

#include <QStringListModel>

namespace tunora {

// The song-file list's entries: each holds the file name that leads to the file, and shows
// it as a person reads it (a name from a Windows archive decoded from GBK).
class SongFileListModel : public QStringListModel {
    Q_OBJECT

public:
    using QStringListModel::QStringListModel;

    QVariant data(const QModelIndex &index, int role) const override;
};

} // namespace tunora
