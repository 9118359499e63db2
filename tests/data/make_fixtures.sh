#!/bin/sh
# Makes the tiny MP3 files that the tests play and cut: constant-bit-rate mono tones, and
# one tone whose ID3v2 tag carries a small picture, so the file has bytes before its audio,
# and a longer one whose picture is half as large as its audio: a cut that counted the tag
# as audio would come out half as long again.
# Needs sox, lame and ImageMagick's convert. Run it from anywhere; it writes beside itself.
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tone() { # name seconds frequency
    sox -D -n -r 44100 -c 1 -b 16 "$work/$1.wav" synth "$2" sine "$3" vol 0.5
}
encode() { # name, extra lame options...
    name=$1
    shift
    lame --quiet -b 64 --cbr -m m --noreplaygain "$@" "$work/$name.wav" "$name.mp3"
}

tone tone-1s 1 440
tone tone-2s 2 660
tone tone-picture 1.5 550
tone tone-cover-3s 3 440
# A deterministic picture: no time stamps in the PNG.
convert -size 48x48 gradient:orange-navy -strip -define png:exclude-chunks=date,time "$work/cover.png"
# Noise does not compress: a picture of 12 kB.
convert -seed 7 -size 64x64 xc: +noise Random -depth 8 -strip -define png:exclude-chunks=date,time "$work/noise.png"

encode tone-1s
encode tone-2s
encode tone-picture --add-id3v2 --tt "Tone" --ta "Tunora" --ti "$work/cover.png"
encode tone-cover-3s --add-id3v2 --tt "Tone" --ta "Tunora" --ti "$work/noise.png"
