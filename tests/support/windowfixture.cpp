#include "windowfixture.h"

#include "app/panels/cuttinghandlers.h"
#include "app/window/mainwindowui.h"
#include "platform/files/gbkcodec.h"

#include <QFile>
#include <QTest>

namespace tunora::test {

QString WindowFixture::settingsPath() const
{
    return m_programDir.filePath(QStringLiteral(u"初始化配置.ini"));
}

void WindowFixture::writeSettingsGbk(const QString &text) const
{
    QFile file(settingsPath());
    if (!file.open(QIODevice::WriteOnly))
        ADD_FAILURE() << "cannot write the settings file";
    file.write(encodeGbk(text));
}

QByteArray WindowFixture::settingsBytes() const
{
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString WindowFixture::settingsText() const
{
    return decodeGbk(settingsBytes());
}

MainWindow &WindowFixture::start(const std::function<void(MainWindow &)> &beforeStartUp)
{
    m_session = std::make_unique<PlaybackSession>(m_player, FilePath(m_programDir.path()));
    m_window = std::make_unique<MainWindow>(*m_session, m_desktop);
    m_window->context().endProgram = [this](int code) { m_exitCodes.append(code); };
    if (beforeStartUp)
        beforeStartUp(*m_window);
    m_window->startUp();
    return *m_window;
}

void showSongFolder(MainWindow &window, const QString &folder)
{
    window.session().useSongFolder(FilePath(folder));
}

void clickCut(MainWindow &window, QAbstractButton *button)
{
    // A cut of the big test songs on a busy machine takes its time.
    constexpr int kTimeoutMs = 60000;
    button->click();
    if (!QTest::qWaitFor([&] { return !window.cutting().isBusy(); }, kTimeoutMs))
        ADD_FAILURE() << "the cut did not end";
}

} // namespace tunora::test
