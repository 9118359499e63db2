#pragma once

#include "library/songlistedit.h"

#include <QObject>

class QPoint;

namespace tunora {

struct AppContext;

// The pop-up menu 合并菜单 on the song list songListView: move the selected row up or down,
// delete it, clear the list.
class SongListEditHandlers : public QObject {
    Q_OBJECT

public:
    explicit SongListEditHandlers(AppContext &context, QObject *parent = nullptr);

    // Right button over the song list: the menu pops up at `globalPos`, owned by the main
    // window, and only while a row is selected. Returns whether it popped up.
    bool showEditMenu(const QPoint &globalPos);
    // 向上移动 / 向下移动: the selected row changes places with its neighbour, then every
    // marked row's cut length is recomputed. The selection stays on its index, so the
    // same move again undoes it.
    void moveRow(RowMove move);
    // 指点删除: removes the selected row, without asking.
    void deleteSelectedRow();
    // 清空列表: removes every row, without asking.
    void clearList();

private:
    AppContext &m_context;
};

} // namespace tunora
