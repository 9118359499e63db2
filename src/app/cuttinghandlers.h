#pragma once

#include <QObject>

namespace tunora {

struct AppContext;
struct Notice;

// The buttons of 剪切工具 that write files: 按钮5 cuts the selected row, 按钮9 every row,
// 按钮1 merges all rows into one file. The song folder is read from 标签2 and the rows from
// the song list at the click; outputs are written in the current working directory and
// then moved into the program directory.
class CuttingHandlers : public QObject {
    Q_OBJECT

public:
    explicit CuttingHandlers(AppContext &context, QObject *parent = nullptr);

    void cutSelected();
    void cutAll();
    void mergeAll();

private:
    void tell(const Notice &notice);

    AppContext &m_context;
};

} // namespace tunora
