#include "mediaplayer.h"

namespace tunora {

QString durationText(double seconds)
{
    return seconds >= 0 ? QString::number(seconds, 'f', 3) : QString();
}

} // namespace tunora
