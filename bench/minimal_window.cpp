// The least a Qt Widgets program does to show a window: the yardstick for start-up time.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("minimal window"));
    window.resize(640, 480);
    window.show();
    return QApplication::exec();
}
