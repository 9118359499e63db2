#pragma once

#include <QWidget>

class QToolButton;

namespace tunora {

// A narrow up-down control. Each press reports a value: 1 for the down arrow (earlier),
// 0 for the up arrow (later). A held arrow repeats its press.
class SpinControl : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDownValue = 1;
    static constexpr int kUpValue = 0;

    explicit SpinControl(QWidget *parent = nullptr);

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

    // Ends the press in progress: the held arrow stops repeating and stays up until the
    // mouse presses it anew. Called before a modal box opens over a refused press, which
    // would otherwise take the release while the repeat goes on underneath it.
    void releasePress();

Q_SIGNALS:
    void pressed(int value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QToolButton *m_up;
    QToolButton *m_down;
    // Set by releasePress() until the next mouse press on an arrow.
    bool m_pressEnded = false;
};

} // namespace tunora
