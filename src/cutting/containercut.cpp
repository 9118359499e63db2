#include "containercut.h"

#include "asfcut.h"
#include "sourcesegment.h"
#include "streamcopy.h"
#include "wavlayout.h"

#include "platform/files/fileio.h"

namespace tunora {

namespace {

ContainerCut written(bool ok)
{
    return ok ? ContainerCut::Written : ContainerCut::Failed;
}

ContainerCut copyThrough(const ReadFile &source, MarkedSpan span, const char *demuxer, const char *muxer,
                         AtomicFileWriter &out)
{
    const StreamCopy copy = streamCopy(source, span, demuxer, muxer);
    if (copy.result != ContainerCut::Written)
        return copy.result;
    return written(out.write(copy.bytes.constData(), copy.bytes.size()));
}

ContainerCut cutWav(const ReadFile &source, MarkedSpan span, AtomicFileWriter &out)
{
    const std::optional<WavLayout> layout = parseWav(source);
    if (!layout)
        return ContainerCut::Failed;
    if (!layout->plainSamples)
        return copyThrough(source, span, "wav", "wav", out);
    const SegmentRange stretch = wavStretch(*layout, span);
    if (stretch.empty())
        return ContainerCut::Empty;
    const QByteArray header = wavHeader(*layout, stretch.length);
    if (header.isEmpty() || !out.write(header.constData(), header.size())
        || copyRange(source, stretch, out) != CopyResult::Copied)
        return ContainerCut::Failed;
    // A chunk of odd size is followed by a pad byte.
    return written(!(stretch.length & 1) || out.write("", 1));
}

} // namespace

ContainerCut cutContainer(Container container, const ReadFile &source, MarkedSpan span, AtomicFileWriter &out)
{
    if (span.empty())
        return ContainerCut::Empty;
    switch (container) {
    case Container::Wav:
        return cutWav(source, span, out);
    case Container::Asf:
        return cutAsf(source, span, out);
    case Container::Flac:
        return copyThrough(source, span, "flac", "flac", out);
    case Container::Ogg:
        return copyThrough(source, span, "ogg", "ogg", out);
    case Container::Mp4: {
        // M4A first; the wider MP4 for codecs an M4A cannot hold.
        const ContainerCut cut = copyThrough(source, span, "mov", "ipod", out);
        return cut == ContainerCut::Failed && out.ok() && out.size() == 0
            ? copyThrough(source, span, "mov", "mp4", out)
            : cut;
    }
    case Container::Unrecognised:
        break;
    }
    return ContainerCut::Failed;
}

} // namespace tunora
