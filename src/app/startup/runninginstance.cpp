#include "runninginstance.h"

#include "app/mpris/mprisnames.h"
#include "platform/files/fileurl.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace tunora {

using namespace mpris;

namespace {

// Long enough for a running program busy with a large folder; a program that does not
// answer in this time is taken for one that is not there.
constexpr int kAnswerTimeoutMs = 10'000;

QDBusMessage call(const QDBusConnection &bus, const QString &interface, const QString &method,
                  const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(kServiceName, kObjectPath, interface, method);
    message.setArguments(arguments);
    // Nothing is to be started for the call: only a program already running counts.
    message.setAutoStartService(false);
    return bus.call(message, QDBus::Block, kAnswerTimeoutMs);
}

// A reply, or the running program's own refusal of a song, rather than the bus saying that
// no one holds the name or that its holder went away without answering.
bool answered(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ReplyMessage
        || (reply.type() == QDBusMessage::ErrorMessage && reply.errorName() == kCannotOpenError);
}

} // namespace

bool handedToRunningProgram(const QDBusConnection &bus, const QList<FilePath> &absolutePaths)
{
    if (!bus.isConnected())
        return false;
    if (absolutePaths.isEmpty())
        return answered(call(bus, kRootInterface, QStringLiteral("Raise")));
    bool first = true;
    for (const FilePath &path : absolutePaths) {
        const QDBusMessage reply = call(bus, kPlayerInterface, QStringLiteral("OpenUri"), {fileUrlOf(path)});
        if (first && !answered(reply))
            return false;
        first = false;
        if (reply.type() == QDBusMessage::ReplyMessage)
            break; // it plays; the songs after it are not wanted
    }
    call(bus, kRootInterface, QStringLiteral("Raise"));
    return true;
}

} // namespace tunora
