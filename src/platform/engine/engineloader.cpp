#include "engineloader.h"

#include "enginemodule.h"
#include "mediaplayerproxy.h"
#include "platform/files/programmodule.h"

#include <QMetaObject>
#include <QThread>

namespace tunora {

QString EngineLoader::findModule(const QString &programDirectory, QString *error)
{
    return findProgramModule(programDirectory, QStringLiteral(TUNORA_ENGINE_MODULE), error);
}

EngineLoader::EngineLoader(MediaPlayerProxy &player, QObject *parent)
    : QObject(parent), m_player(player)
{
}

EngineLoader::~EngineLoader()
{
    if (m_worker.joinable())
        m_worker.join();
}

void EngineLoader::start(const QString &modulePath)
{
    if (m_worker.joinable() || m_player.isAttached())
        return;
    m_worker = std::thread([this, modulePath] { load(modulePath); });
}

void EngineLoader::load(const QString &modulePath)
{
    const ModuleEntry module = openProgramModule(modulePath, {kEngineVersionSymbol, kEngineVersion, kEngineFactory});
    m_error = module.error;
    if (auto create = reinterpret_cast<EngineFactory>(module.entry)) {
        m_engine.reset(create(&m_error));
        if (m_engine)
            m_engine->moveToThread(thread()); // its queued events go along
        else if (m_error.isEmpty())
            m_error = QStringLiteral("The media engine could not be created.");
    }
    QMetaObject::invokeMethod(this, [this] { finish(); }, Qt::QueuedConnection);
}

void EngineLoader::finish()
{
    m_worker.join();
    if (m_engine)
        m_player.attach(std::move(m_engine));
    else
        Q_EMIT failed(m_error);
}

} // namespace tunora
