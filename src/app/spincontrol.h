#pragma once

#include <QWidget>

class QToolButton;

namespace tunora {

// A narrow up-down control. Each press reports a value: 1 for the down arrow (earlier),
// 0 for the up arrow (later).
class SpinControl : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDownValue = 1;
    static constexpr int kUpValue = 0;

    explicit SpinControl(QWidget *parent = nullptr);

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

Q_SIGNALS:
    void pressed(int value);

private:
    QToolButton *m_up;
    QToolButton *m_down;
};

} // namespace tunora
