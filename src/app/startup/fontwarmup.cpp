#include "fontwarmup.h"

#include <fontconfig/fontconfig.h>

namespace tunora {

FontConfigWarmup::FontConfigWarmup()
    : m_thread([] { FcInit(); }) // loads the configuration and the font caches once per process
{
}

FontConfigWarmup::~FontConfigWarmup()
{
    wait();
}

void FontConfigWarmup::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace tunora
