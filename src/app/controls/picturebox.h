#pragma once

#include <QLabel>

#include <functional>

namespace tunora {

// A picture that reads as a link: hand cursor, and a signal on a left press.
class PictureBox : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

    // The picture is drawn when the box is first painted, not when the window is built: its
    // text needs a font loaded that the window can show without.
    void setPixmapSource(std::function<QPixmap()> draw);

Q_SIGNALS:
    void leftPressed();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    std::function<QPixmap()> m_draw;
};

} // namespace tunora
