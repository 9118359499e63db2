#pragma once

#include <QObject>

class QAction;

namespace tunora {

struct AppContext;

// The four option items of 初始化设置. Their check state is the only in-memory copy of
// the settings (their check-mark icons follow it); each handler changes the check state
// before it writes the file.
class OptionHandlers : public QObject {
    Q_OBJECT

public:
    explicit OptionHandlers(AppContext &context, QObject *parent = nullptr);

    void onStartMinimisedChosen();
    void onAutoPlayChosen();
    void onRandomChosen();
    void onLoopChosen();

private:
    void toggle(QAction *item, const QString &section, const QString &onValue, const QString &offValue);
    void loopFallback();

    AppContext &m_context;
};

} // namespace tunora
