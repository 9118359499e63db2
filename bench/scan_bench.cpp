// The song folder scan on folders of 1,000, 10,000 and 100,000 songs: the whole refresh
// (settings write, songFolderLabel, the song-file list shown, the playlist in the real engine), timed
// against a plain listing of the same folder in the same run.
#include "app/window/mainwindow.h"
#include "app/desktop/qtdesktop.h"
#include "platform/engine/mpvplayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QStringListModel>
#include <QTemporaryDir>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

using namespace tunora;

namespace {

constexpr int kRuns = 3;

// Empty files named like songs, half of them with each of two extensions.
bool makeSongs(const QString &folder, int count)
{
    for (int i = 0; i < count; ++i) {
        const std::string name = folder.toStdString() + "Artist " + std::to_string(i % 97) + " - Song "
            + std::to_string(i) + (i % 2 ? ".wma" : ".mp3");
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    return true;
}

// The plain listing: every name of the folder read once.
std::size_t listFolder(const QString &folder)
{
    std::vector<std::string> names;
    DIR *dir = opendir(folder.toLocal8Bit().constData());
    if (!dir)
        return 0;
    while (const dirent *entry = readdir(dir))
        names.emplace_back(entry->d_name);
    closedir(dir);
    return names.size();
}

template <typename F>
double medianSeconds(F &&run)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");

    QString error;
    std::unique_ptr<MpvPlayer> player = MpvPlayer::create(&error);
    if (!player) {
        std::fprintf(stderr, "no media engine: %s\n", qPrintable(error));
        return 1;
    }
    QTemporaryDir programDir;
    QtDesktop desktop;
    PlaybackSession session(*player, FilePath(programDir.path()));
    MainWindow window(session, desktop);
    window.context().endProgram = [](int) {};
    {
        QFile settings(programDir.filePath(QStringLiteral(u"初始化配置.ini")));
        if (!settings.open(QIODevice::WriteOnly))
            return 1;
        settings.write("[\xd2\xf4\xc0\xd6\xb8\xf1\xca\xbd]\r\n\xb8\xf1\xca\xbd=mp3,wma\r\n"); // [音乐格式] 格式=mp3,wma in GBK
    }
    window.show();
    QCoreApplication::processEvents();

    std::printf("%8s %12s %12s %8s\n", "songs", "listing s", "scan s", "ratio");
    double previousScan = 0;
    for (int count : {1000, 10000, 100000}) {
        QTemporaryDir songs;
        const QString folder = songs.path() + QLatin1Char('/');
        if (!makeSongs(folder, count)) {
            std::fprintf(stderr, "cannot make %d songs\n", count);
            return 1;
        }
        listFolder(folder); // both measurements start from a warm cache
        const double listing = medianSeconds([&] { listFolder(folder); });
        const double scan = medianSeconds([&] {
            session.useSongFolder(FilePath(folder));
            QCoreApplication::processEvents(); // the list laid out and painted
        });
        if (window.ui().songFiles->rowCount() != count || player->itemCount() != count) {
            std::fprintf(stderr, "scan found %d of %d\n", window.ui().songFiles->rowCount(), count);
            return 1;
        }
        std::printf("%8d %12.4f %12.4f %8.1f", count, listing, scan, scan / listing);
        if (previousScan > 0)
            std::printf("   x%.1f from the previous size", scan / previousScan);
        std::printf("\n");
        previousScan = scan;
    }
    return 0;
}
