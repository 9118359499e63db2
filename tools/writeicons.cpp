// Writes the window icon in every size it is drawn at, for installing where desktop menus
// look for icons: <out>/<size>x<size>/apps/tunora.png.
#include "app/controls/artwork.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tunora_writeicons OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int size : {256, 128, 48, 32, 24, 16}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        if (!QDir().mkpath(dir) || !tunora::windowIconPixmap(size).save(dir + QStringLiteral("/tunora.png"))) {
            std::fprintf(stderr, "cannot write icons to %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
