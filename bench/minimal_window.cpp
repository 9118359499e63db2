// The least a Qt Widgets program does to show a window: the yardstick for start-up time.
// With --label the window also holds one line of Chinese text, the least a window with any
// text does: its fonts are loaded before the window can be drawn.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char **argv)
{
    const bool withLabel = argc > 1 && std::strcmp(argv[1], "--label") == 0;
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("minimal window"));
    window.resize(640, 480);
    if (withLabel)
        (new QLabel(QStringLiteral(u"歌曲信息：剪切工具"), &window))->setGeometry(8, 8, 300, 24);
    window.show();
    return QApplication::exec();
}
