#include "app/desktop/runninginstance.h"

#include "app/desktop/mpris/mprisnames.h"
#include "platform/files/fileurl.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QThread>

namespace tunora {

using namespace mpris;

namespace {

// Between two asks of a program whose window is not up yet: a round trip costs it little.
constexpr unsigned long kAskAgainMs = 25;

enum class Claim { Owned, Taken, Refused };

// Without queueing: a launch that does not get the name at once must not get it later
// either, when the one that has it ends.
Claim claimName(const QDBusConnection &bus, QString *problem)
{
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        kProgramName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        *problem = QStringLiteral("the session bus refused the name %1 (%2)").arg(kProgramName, reply.error().message());
        return Claim::Refused;
    }
    return reply.value() == QDBusConnectionInterface::ServiceRegistered ? Claim::Owned : Claim::Taken;
}

// The holder's answer that it has no media controls yet: its window is being built.
bool notUpYet(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ErrorMessage)
        return false;
    const QDBusError::ErrorType error = QDBusError(reply).type();
    return error == QDBusError::UnknownObject || error == QDBusError::UnknownInterface
        || error == QDBusError::UnknownMethod;
}

// The holder went away before it answered (it was ending, or it failed to start): the name
// is to be had again. For a call that starts nothing the bus says the name has no owner;
// NoReply for a holder that leaves with the call unanswered.
bool holderLeft(const QDBusMessage &reply, const QDeadlineTimer &deadline)
{
    if (reply.type() != QDBusMessage::ErrorMessage)
        return false;
    const QDBusError::ErrorType error = QDBusError(reply).type();
    return reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")
        || error == QDBusError::ServiceUnknown || (error == QDBusError::NoReply && !deadline.hasExpired());
}

// A reply, or the running program's own refusal of a song: it is there and took the call.
bool answered(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ReplyMessage
        || (reply.type() == QDBusMessage::ErrorMessage && reply.errorName() == kCannotOpenError);
}

// A call to the holder of the program's name, asked again while its media controls are not
// up, until the deadline.
QDBusMessage callHolder(const QDBusConnection &bus, const QDeadlineTimer &deadline, const QString &interface,
                        const QString &method, const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(kProgramName, kObjectPath, interface, method);
    message.setArguments(arguments);
    // Nothing is to be started for the call: only a program already running counts.
    message.setAutoStartService(false);
    for (;;) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return QDBusMessage::createError(QDBusError::Timeout, QStringLiteral("no answer in time"));
        const QDBusMessage reply = bus.call(message, QDBus::Block, int(left));
        if (!notUpYet(reply))
            return reply;
        QThread::msleep(kAskAgainMs);
    }
}

// The songs to the holder, then its window up. The answer to the first call tells whether
// the holder took them.
QDBusMessage handOver(const QDBusConnection &bus, const QDeadlineTimer &deadline, const QList<FilePath> &absolutePaths)
{
    if (absolutePaths.isEmpty())
        return callHolder(bus, deadline, kRootInterface, QStringLiteral("Raise"));
    QDBusMessage first;
    for (const FilePath &path : absolutePaths) {
        const QDBusMessage reply = callHolder(bus, deadline, kPlayerInterface, QStringLiteral("OpenUri"), {fileUrlOf(path)});
        if (first.type() == QDBusMessage::InvalidMessage) {
            first = reply;
            if (!answered(first))
                return first;
        }
        if (reply.type() == QDBusMessage::ReplyMessage)
            break; // it plays; the songs after it are not wanted
    }
    callHolder(bus, deadline, kRootInterface, QStringLiteral("Raise"));
    return first;
}

} // namespace

SessionLaunch launchInSession(const QDBusConnection &bus, const QList<FilePath> &absolutePaths, int answerTimeoutMs)
{
    if (!bus.isConnected())
        return {SessionLaunch::RunsAlone, QStringLiteral("no session bus (%1)").arg(bus.lastError().message())};
    const QDeadlineTimer deadline(answerTimeoutMs);
    for (;;) {
        QString problem;
        switch (claimName(bus, &problem)) {
        case Claim::Owned:
            return {SessionLaunch::OwnsName, {}};
        case Claim::Refused:
            return {SessionLaunch::RunsAlone, problem};
        case Claim::Taken:
            break;
        }
        const QDBusMessage reply = handOver(bus, deadline, absolutePaths);
        if (answered(reply))
            return {SessionLaunch::HandedOver, {}};
        if (!holderLeft(reply, deadline))
            return {SessionLaunch::RunsAlone,
                    QStringLiteral("the program running in this session does not answer (%1)").arg(reply.errorMessage())};
    }
}

} // namespace tunora
