#include "app/desktop/sessionservices.h"

#include "session/playbacksession.h"

#include <QDeadlineTimer>

#include <cstdio>

#include <windows.h>

namespace tunora {

namespace {

// Local to the user's logon session, as the session bus name is to the user's session.
constexpr wchar_t kProgramMutex[] = L"Local\\Tunora.Program";
// The running program's hidden window that takes a later launch's songs.
constexpr wchar_t kHandOverClass[] = L"Tunora.HandOver";
// What a WM_COPYDATA to that window carries: song paths, UTF-16, each ended by a zero.
constexpr ULONG_PTR kOpenSongFiles = 0x54756E01;
// Between two looks for a program whose window is not up yet.
constexpr DWORD kAskAgainMs = 25;

bool handOver(HWND holder, const QList<FilePath> &songFiles, const QDeadlineTimer &deadline)
{
    QString paths;
    for (const FilePath &file : songFiles)
        paths += file.text() + QChar(u'\0');
    COPYDATASTRUCT data{kOpenSongFiles, DWORD(paths.size() * sizeof(char16_t)),
                        const_cast<QChar *>(paths.constData())};
    // The holder may bring its window to the front, which Windows grants only with leave.
    DWORD holderProcess = 0;
    GetWindowThreadProcessId(holder, &holderProcess);
    AllowSetForegroundWindow(holderProcess);
    DWORD_PTR answer = 0;
    const auto timeout = UINT(qMax<qint64>(1, deadline.remainingTime()));
    return SendMessageTimeoutW(holder, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, timeout,
                               &answer)
        && answer == TRUE;
}

QList<FilePath> songFilesOf(const COPYDATASTRUCT &data)
{
    const QString paths(reinterpret_cast<const QChar *>(data.lpData), qsizetype(data.cbData / sizeof(char16_t)));
    QList<FilePath> files;
    for (const QString &path : paths.split(QChar(u'\0'), Qt::SkipEmptyParts))
        files.append(FilePath(path));
    return files;
}

// The hidden window a later launch finds by its class and sends its songs to. It answers at
// once and opens them after, so that a launch never waits on a message box of this one.
class HandOverWindow : public QObject {
public:
    HandOverWindow(PlaybackSession &session, WindowCommands window) : m_session(session), m_commands(std::move(window))
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &HandOverWindow::receive;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kHandOverClass;
        RegisterClassExW(&windowClass);
        m_window = CreateWindowExW(0, kHandOverClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   windowClass.hInstance, nullptr);
        if (m_window)
            SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~HandOverWindow() override
    {
        if (m_window)
            DestroyWindow(m_window);
    }
    bool isUp() const { return m_window != nullptr; }

private:
    static LRESULT CALLBACK receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto *self = reinterpret_cast<HandOverWindow *>(GetWindowLongPtrW(window, GWLP_USERDATA));
        const auto *data = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        if (message != WM_COPYDATA || !self || !data || data->dwData != kOpenSongFiles)
            return DefWindowProcW(window, message, wParam, lParam);
        QMetaObject::invokeMethod(
            self,
            [self, files = songFilesOf(*data)] {
                if (!files.isEmpty())
                    self->m_session.openFiles(files);
                self->m_commands.raise();
            },
            Qt::QueuedConnection);
        return TRUE;
    }

    PlaybackSession &m_session;
    WindowCommands m_commands;
    HWND m_window = nullptr;
};

} // namespace

SessionLaunch launchInThisSession(const QList<FilePath> &songFiles)
{
    // Held until the process ends, when Windows lets it go; asking for it at its creation
    // makes exactly one of any launches however close together its owner.
    const HANDLE mutex = CreateMutexW(nullptr, TRUE, kProgramMutex);
    if (!mutex)
        return {SessionLaunch::RunsAlone, QStringLiteral("Windows refused the program's mutex (error %1)").arg(GetLastError())};
    if (GetLastError() != ERROR_ALREADY_EXISTS)
        return {SessionLaunch::OwnsName, {}};
    const QDeadlineTimer deadline(kAnswerTimeoutMs);
    for (;;) {
        // The holder ended without handing it on (it crashed, or ended while this one
        // waited): the mutex is this launch's now.
        const DWORD wait = WaitForSingleObject(mutex, 0);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED)
            return {SessionLaunch::OwnsName, {}};
        // Until its window is up the holder has no hand-over window; look again.
        if (const HWND holder = FindWindowExW(HWND_MESSAGE, nullptr, kHandOverClass, nullptr);
            holder && handOver(holder, songFiles, deadline)) {
            CloseHandle(mutex);
            return {SessionLaunch::HandedOver, {}};
        }
        if (deadline.hasExpired()) {
            CloseHandle(mutex);
            return {SessionLaunch::RunsAlone, QStringLiteral("the program running in this session does not answer")};
        }
        Sleep(kAskAgainMs);
    }
}

std::unique_ptr<QObject> serveSession(PlaybackSession &session, WindowCommands window)
{
    auto handOverWindow = std::make_unique<HandOverWindow>(session, std::move(window));
    if (!handOverWindow->isUp()) {
        std::fprintf(stderr, "tunora: a later launch cannot hand its songs to this one (error %lu)\n", GetLastError());
        return nullptr;
    }
    return handOverWindow;
}

} // namespace tunora
