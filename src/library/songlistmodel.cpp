#include "songlistmodel.h"

#include "platform/files/filenames.h"

namespace tunora {

SongListModel::SongListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

int SongListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SongListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SongListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole && index.column() == Name)
        return displayFileName(cell(index.row(), Name)); // the cell keeps the file's name
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return cell(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return index.column() == Name ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                      : int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant SongListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const QString headers[ColumnCount] = {
        QStringLiteral(u"歌曲名"), QStringLiteral(u"开始时间"), QStringLiteral(u"结束时间"),
        QStringLiteral(u"剪切长度"), QStringLiteral(u"歌曲长度"),
    };
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return headers[section];
    if (role == Qt::TextAlignmentRole)
        return section == Name ? int(Qt::AlignLeft | Qt::AlignVCenter)
                               : int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QString SongListModel::cell(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= ColumnCount)
        return {};
    return m_rows[row][column];
}

void SongListModel::setCell(int row, int column, const QString &text)
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= ColumnCount)
        return;
    if (m_rows[row][column] == text)
        return;
    m_rows[row][column] = text;
    const QModelIndex changed = index(row, column);
    Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole});
}

void SongListModel::insertSong(int row, const QString &name)
{
    row = qBound(0, row, int(m_rows.size()));
    beginInsertRows({}, row, row);
    QStringList cells(ColumnCount);
    cells[Name] = name;
    m_rows.insert(row, cells);
    endInsertRows();
}

void SongListModel::removeSong(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
}

void SongListModel::clearSongs()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int SongListModel::rowOfSong(const QString &name) const
{
    for (int r = 0; r < m_rows.size(); ++r) {
        if (m_rows[r][Name] == name)
            return r;
    }
    return -1;
}

} // namespace tunora
