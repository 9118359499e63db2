#include "fontwarmup.h"

#include <fontconfig/fontconfig.h>

namespace tunora {

// The configuration read here becomes fontconfig's current one, which the font database then
// finds ready instead of parsing it again.
FontWarmUp::FontWarmUp() : m_worker([] { FcInit(); })
{
}

FontWarmUp::~FontWarmUp()
{
    finish();
}

void FontWarmUp::finish()
{
    if (m_worker.joinable())
        m_worker.join();
}

} // namespace tunora
