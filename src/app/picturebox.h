#pragma once

#include <QLabel>

namespace tunora {

// A picture that reads as a link: hand cursor, and a signal on a left press.
class PictureBox : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

Q_SIGNALS:
    void leftPressed();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

} // namespace tunora
