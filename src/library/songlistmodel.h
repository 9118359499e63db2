#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

namespace tunora {

// The song list's rows: five text cells per marked song. This model is the state of the
// list view `songListView`; nothing else keeps a copy of the marks. The name cell holds the
// song's file name as it leads to the file; the list shows it decoded for reading.
class SongListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Name = 0, Start = 1, End = 2, CutLength = 3, SongLength = 4, ColumnCount = 5 };

    explicit SongListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Empty text for a row or column out of range.
    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString &text);
    // A new row whose name cell is `name` and whose other cells are empty.
    void insertSong(int row, const QString &name);
    void removeSong(int row);
    void clearSongs();
    // The row whose name equals `name` exactly (case counts), or -1. Names are unique.
    int rowOfSong(const QString &name) const;

private:
    QVector<QStringList> m_rows;
};

} // namespace tunora
