#pragma once

// Song files whose audio lives inside a container that a raw byte slice would break: a
// decoder needs their header. They are recognised by their first bytes, not by their name.
namespace tunora {

class ReadFile;

enum class Container {
    Unrecognised, // MPEG audio (tags or not) or anything else: cut as a byte slice
    Wav,          // RIFF ... WAVE
    Asf,          // ASF header object: WMA, WMV
    Flac,         // fLaC, possibly behind ID3v2 tags
    Ogg,          // OggS
    Mp4,          // an ftyp box: M4A, MP4
};

Container detectContainer(const ReadFile &file);

} // namespace tunora
