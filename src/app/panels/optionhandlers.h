#pragma once

#include "session/playmode.h"

#include <QObject>

class QAction;

namespace tunora {

struct AppContext;

// The option items of 初始化设置. 开启最小化 and 自动播放 keep their setting in their check
// state (each written the moment it changes); 随机 and 循环 show the session's play mode.
class OptionHandlers : public QObject {
    Q_OBJECT

public:
    explicit OptionHandlers(AppContext &context, QObject *parent = nullptr);

    void onStartMinimisedChosen();
    void onAutoPlayChosen();
    // 随机 switches random play on, or off again into loop; 循环 always means loop.
    void onRandomChosen();
    void onLoopChosen();
    // 淡入, 淡出 and 响度统一 keep their setting in their check state, like 自动播放.
    void onEffectChosen(QAction *item);

private:
    void showPlayMode(PlayMode mode);

    AppContext &m_context;
};

} // namespace tunora
