#!/bin/sh
# Makes the tiny MP3 files that the tests play and cut: constant-bit-rate mono tones, and
# one tone whose ID3v2 tag carries a small picture, so the file has bytes before its audio,
# and a longer one whose picture is half as large as its audio: a cut that counted the tag
# as audio would come out half as long again.
# Needs sox, lame and ImageMagick's convert. Run it from anywhere; it writes beside itself.
#
# `make_fixtures.sh containers <dir>` instead writes into <dir> a six-second tone whose pitch
# steps up every second (300 Hz, 400 Hz, ... 800 Hz) in WAV, WMA, FLAC, Ogg Vorbis and M4A,
# so a decoded cut shows which seconds it holds. The cutting tests make them when they run
# (sox and ffmpeg), which keeps the repository small; their checks decode, never compare bytes.
#
# `make_fixtures.sh wma <dir>` writes into <dir> a twelve-second WMA tone of the same steps
# (second k at 300 + 100k Hz) as ffmpeg writes it (3200-byte packets of whole 46 ms objects),
# and the same audio laid out as Windows Media encoders do (asf_repack.py, needs python3):
# several payloads a packet, objects split across packets.
# `make_fixtures.sh mpeg <dir>` writes into <dir> MP3 songs whose pitch steps up every second
# (300 Hz, 400 Hz, ...; the b songs and s22 from 350 Hz, so the songs of a merge tell apart):
# a 30 s VBR song, quiet in its first 10 s and loud with noise after, so its bit rate more
# than doubles there (vbr-a.mp3, LAME; vbr-b.mp3, LAME through FFmpeg, which tags it its own
# way); the same as 128 kbps CBR (cbr-a.mp3) and as CBR with error protection (cbr-crc.mp3);
# 10 s songs at 48 kHz stereo (s48.mp3) and at 22.05 kHz mono (s22.mp3), and songs whose kind
# shows only in their later frames (see below). Needs ffmpeg and lame.
# `make_fixtures.sh levels <dir>` writes into <dir> a steady 1 kHz tone at -12 dBFS, 10 s, for
# the fades and loudness to be measured on: CBR, VBR, joint-stereo (mid/side), CRC-protected
# and MPEG-2 mono MP3, WAV, FLAC (16-bit, and 24-bit at 48 kHz: tone24.flac), Ogg Vorbis and
# M4A; and the tone 12 dB quieter (quiet.mp3).
# Needs ffmpeg and lame.
set -eu

# steps <expression of t for the pitch> <seconds> <rate> <channels> <file.wav>
steps() {
    ffmpeg -nostdin -v error -y -filter_complex "\
aevalsrc=exprs='if(lt(t,10),0.05,0.45)*sin(2*PI*($1)*t)':s=$3:d=$2:c=$4[tone];\
anoisesrc=c=white:a=0.25:r=$3:d=$2:seed=7,volume=volume='if(lt(t,10),0,1)':eval=frame,\
aformat=channel_layouts=$4[noise];[tone][noise]amix=inputs=2:normalize=0" -c:a pcm_s16le "$5"
}

mpeg() {
    out=$1
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    up='300+100*floor(t)'
    b='350+100*floor(t)'
    steps "$up" 30 44100 stereo "$work/a.wav"
    steps "$b" 30 44100 stereo "$work/b.wav"
    lame --quiet --noreplaygain -V2 "$work/a.wav" "$out/vbr-a.mp3"
    ffmpeg -nostdin -v error -y -i "$work/b.wav" -c:a libmp3lame -q:a 2 "$out/vbr-b.mp3"
    lame --quiet --noreplaygain -b 128 --cbr "$work/a.wav" "$out/cbr-a.mp3"
    lame --quiet --noreplaygain -b 128 --cbr -p "$work/a.wav" "$out/cbr-crc.mp3"
    # Quiet all through, so their bit rates stay low: the merge tests only join them.
    ffmpeg -nostdin -v error -y -f lavfi -i "aevalsrc=exprs='0.3*sin(2*PI*($up)*t)':s=48000:d=10:c=stereo" \
        -c:a libmp3lame -q:a 4 "$out/s48.mp3"
    ffmpeg -nostdin -v error -y -f lavfi -i "aevalsrc=exprs='0.3*sin(2*PI*($b)*t)':s=22050:d=10:c=mono" \
        -c:a libmp3lame -q:a 4 "$out/s22.mp3"
    # Songs whose kind shows only in their later frames: VBR with no info frame (vbr-bare.mp3),
    # CBR frames that change bit rate 20 s in (cbr-then-192k.mp3), and 44.1 kHz frames
    # followed by 48 kHz ones, which are not one stream (two-streams.mp3).
    lame --quiet --noreplaygain -V2 -t "$work/a.wav" "$out/vbr-bare.mp3"
    ffmpeg -nostdin -v error -y -i "$work/a.wav" -t 20 "$work/a-head.wav"
    ffmpeg -nostdin -v error -y -ss 20 -i "$work/a.wav" "$work/a-tail.wav"
    lame --quiet --noreplaygain -b 128 --cbr -t "$work/a-head.wav" "$work/head.mp3"
    lame --quiet --noreplaygain -b 192 --cbr -t "$work/a-tail.wav" "$work/tail.mp3"
    cat "$work/head.mp3" "$work/tail.mp3" >"$out/cbr-then-192k.mp3"
    cat "$work/head.mp3" "$out/s48.mp3" >"$out/two-streams.mp3"
}

containers() { # dir
    out=$1
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    for k in 0 1 2 3 4 5; do
        sox -D -n -r 44100 -c 1 -b 16 "$work/step$k.wav" synth 1 sine $((300 + 100 * k)) vol 0.5
    done
    sox "$work"/step[0-5].wav "$work/steps.wav"
    ff() { ffmpeg -nostdin -v error -y -i "$work/steps.wav" -map_metadata -1 -fflags +bitexact "$@"; }
    # Stereo at 8 kHz: four bytes a sample frame, so a cut off the frame grid shows.
    sox -D "$work/steps.wav" -r 8000 -c 2 -b 16 "$out/steps.wav"
    ff -c:a adpcm_ms "$out/steps-adpcm.wav"
    # Small packets (50 ms at 64 kbit/s): a cut by whole packets stays within 0.1 s.
    ff -c:a wmav2 -b:a 64k -packet_size 400 "$out/steps.wma"
    ff -c:a flac "$out/steps.flac"
    # Some taggers put an ID3v2 tag (here an empty one with 10 bytes of padding) before fLaC.
    { printf 'ID3\003\000\000\000\000\000\012'; head -c 10 /dev/zero; cat "$out/steps.flac"; } >"$out/steps-id3.flac"
    ff -c:a libvorbis -q:a 2 "$out/steps.ogg"
    ff -c:a aac -b:a 48k "$out/steps.m4a"
}

levels() { # dir
    out=$1
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    ffmpeg -nostdin -v error -y -f lavfi -i "aevalsrc=exprs='0.2512*sin(2*PI*1000*t)':s=44100:d=10:c=stereo" \
        -c:a pcm_s16le "$work/tone.wav"
    ff() { ffmpeg -nostdin -v error -y -i "$work/tone.wav" -map_metadata -1 -fflags +bitexact "$@"; }
    ff -c:a libmp3lame -b:a 128k -joint_stereo 0 "$out/cbr.mp3"
    ff -c:a libmp3lame -q:a 4 -joint_stereo 0 "$out/vbr.mp3"
    ff -c:a libmp3lame -b:a 96k -joint_stereo 1 "$out/joint.mp3"
    lame --quiet --noreplaygain -b 128 --cbr -p "$work/tone.wav" "$out/crc.mp3"
    ff -ac 1 -ar 22050 -c:a libmp3lame -b:a 32k "$out/mono22.mp3"
    ff -af volume=-12dB -c:a libmp3lame -b:a 128k "$out/quiet.mp3"
    cp "$work/tone.wav" "$out/tone.wav"
    ff -c:a flac "$out/tone.flac"
    # 24-bit FLAC at 48 kHz, straight from the generator: its low bits hold sound too.
    ffmpeg -nostdin -v error -y -f lavfi -i "aevalsrc=exprs='0.2512*sin(2*PI*1000*t)':s=48000:d=10:c=stereo" \
        -map_metadata -1 -fflags +bitexact -c:a flac -sample_fmt s32 "$out/tone24.flac"
    ff -c:a libvorbis -q:a 2 "$out/tone.ogg"
    ff -c:a aac -b:a 96k "$out/tone.m4a"
}

wma() { # dir
    ffmpeg -nostdin -v error -y -f lavfi -i 'aevalsrc=0.5*sin(2*PI*(300+100*floor(t))*t):s=44100:d=12' \
        -map_metadata -1 -fflags +bitexact -c:a wmav2 -b:a 128k "$1/steps-12s.wma"
    python3 "$(dirname "$0")/asf_repack.py" "$1/steps-12s.wma" "$1/steps-12s-split.wma" 1500
}

case "${1:-}" in
containers | wma | mpeg | levels)
    [ -d "${2:-}" ] || { echo "usage: $0 containers|wma|mpeg|levels <existing dir>" >&2; exit 2; }
    "$1" "$2"
    exit 0 ;;
esac

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
