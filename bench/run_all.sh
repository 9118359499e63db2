#!/usr/bin/env bash
# Builds every benchmark of the project in Release, runs each one, and prints one table of
# their figures and ratios. Each program's own report is kept in the build directory.
#
#   bench/run_all.sh            build directory: build-bench next to the sources
#   BENCH_BUILD=dir JOBS=4 bench/run_all.sh
#
# Needs Xvfb and dbus-daemon (start-up), sox and lame (end-mark song), ffmpeg (container and MP3
# cuts); a benchmark that fails is reported in the table and the others still run.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD:-$root/build-bench}
jobs=${JOBS:-2}
logs=$build/bench-logs

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTUNORA_BUILD_TESTS=OFF >/dev/null || exit 1
# Every *_bench target there is, so a new benchmark joins without editing this script.
mapfile -t benches < <(ninja -C "$build" -t targets all | sed -n 's/^\(tunora_[a-z0-9_]*_bench\): .*/\1/p' | sort -u)
if [ ${#benches[@]} -eq 0 ]; then
    echo "no benchmark targets found" >&2
    exit 1
fi
echo "building ${benches[*]}" >&2
ninja -C "$build" -j"$jobs" "${benches[@]}" >&2 || exit 1

mkdir -p "$logs"
failed=0
for bench in "${benches[@]}"; do
    echo "running $bench ..." >&2
    start=$(date +%s)
    if "$build/bench/$bench" >"$logs/$bench.txt" 2>"$logs/$bench.err"; then
        echo "  done in $(( $(date +%s) - start )) s" >&2
    else
        echo "  FAILED (see $logs/$bench.err)" >&2
        echo "FAILED" >>"$logs/$bench.txt"
        failed=1
    fi
done

# One row per figure: benchmark, what was measured, the figure, its ratio and what the
# ratio compares with. The patterns follow each program's own report lines.
table() {
    local bench=$1 file=$logs/$1.txt
    case $bench in
    tunora_cut_bench)
        awk '
            /^cut all \(engine\) /          { cut = $(NF-2) }
            /^cut all \(baseline\) /        { cutBase = $(NF-2) }
            /^cut all \(engine, replacing\)/ { rep = $(NF-2) }
            /^cut all \(synced baseline\)/  { cutSync = $(NF-2) }
            /^merge all \(engine\) /        { merge = $(NF-2) }
            /^merge all \(baseline\) /      { mergeBase = $(NF-2) }
            /^ratio cut all engine\/baseline / { rCut = $(NF-2) }
            /^ratio cut all replacing\/synced/ { rRep = $(NF-2) }
            /^ratio merge all engine\/baseline / { rMerge = $(NF-2) }
            /^engine peak RSS within limit/ { mem = $NF }
            END {
                sub(",", "", rCut); sub(",", "", rRep); sub(",", "", rMerge)
                printf "cut\tcut all, median\t%s ms\t%s\tplain positioned copies (%s ms; target <= 1.3)\n", cut, rCut, cutBase
                printf "cut\tcut all replacing outputs, median\t%s ms\t%s\tsynced copies (%s ms)\n", rep, rRep, cutSync
                printf "cut\tmerge all, median\t%s ms\t%s\tplain concatenation (%s ms)\n", merge, rMerge, mergeBase
                printf "cut\tpeak memory within limit\t%s\t-\t-\n", mem
            }' "$file" ;;
    tunora_container_cut_bench)
        awk '/ source .* bytes; 30 s cut:/ {
                printf "container cut\t30 s of a %.0f MB %s song, median\t%s ms\t%s\tffmpeg -ss -t -c copy (%s ms)\n", $3 / 1e6, $1, $9, $17, $14
            }' "$file" ;;
    tunora_mp3_cut_bench)
        awk '/ source .* bytes; 30 s cut:/ {
                printf "mp3 cut\t30 s of a %.0f MB %s song, median\t%s ms\t%s\tffmpeg -ss -t -c copy (%s ms)\n", $3 / 1e6, toupper($1), $9, $17, $14
            }
            / source .* bytes; 30 s cut with fades/ {
                printf "mp3 cut\t30 s of a %.0f MB %s song with fades and 响度统一, median\t%s ms (plain cut %s ms)\t%s\tffmpeg -ss -t re-encoding with afade (%s ms; target <= 0.2)\n", $3 / 1e6, toupper($1), $13, $17, $28, $25
            }
            / source .* bytes; [0-9]+-row merge:/ {
                printf "mp3 cut\t%s merge of %.0f MB %s songs, median\t%s ms\t%s\tffmpeg -ss -t -c copy of each stretch (%s ms)\n", $5, $3 / 1e6, toupper($1), $8, $18, $15
            }
            /^30 s cut of a 40 MB song: CBR/ {
                printf "mp3 cut\t30 s CBR cut of a 40 MB song, median\t%s ms\t%s\tthe same VBR cut (%s ms; target <= 1)\n", $10, $NF, $13
            }' "$file" ;;
    tunora_overview_bench)
        awk -F', ' '/ 5-minute song: / {
                split($1, head, " 5-minute song: ffmpeg -f null "); base = head[2]
                split($2, first, " "); split($3, rFirst, " "); split($4, env, " "); split($5, rEnv, " ")
                printf "overview\tfirst picture, 5-minute %s song, median\t%s ms\t%s\tffmpeg -f null (%s)\n", head[1], first[3], rFirst[2], base
                printf "overview\tdecoded envelope, 5-minute %s song, median\t%s ms\t%s\tffmpeg -f null (%s)\n", head[1], env[3], rEnv[2], base
            }' "$file" ;;
    tunora_scan_bench)
        awk '$1 ~ /^[0-9]+$/ && NF >= 4 {
                printf "scan\tscan of %s songs\t%.1f ms\t%s\tplain listing (%.1f ms)\n", $1, $3 * 1000, $4, $2 * 1000
            }' "$file" ;;
    tunora_endmark_bench)
        # Stop rows end with: median over, max over, CPU %, vs plain, missed, median and max
        # past the rounded moment; jump rows with: median, max, missed. The timer as first
        # planned (at the end mark itself) runs in the same program for comparison.
        awk '
            /^end-mark timer /        { rMed = $(NF-1); rMax = $NF; oMed = $(NF-6); oMax = $(NF-5); cpu = $(NF-4); rCpu = $(NF-3) }
            /^planned at mark /       { prMed = $(NF-1); prMax = $NF; pCpu = $(NF-3) }
            /^1 ms poll /             { qMed = $(NF-6); qMax = $(NF-5); qCpu = $(NF-3) }
            /^jump, end-mark timer /  { jMed = $(NF-2); jMax = $(NF-1) }
            /^jump, planned at mark / { pjMed = $(NF-2); pjMax = $(NF-1) }
            END {
                printf "end mark\tstop past the rounded moment, median / max\t%s / %s ms\t-\tplanned at the mark: %s / %s ms\n", rMed, rMax, prMed, prMax
                printf "end mark\tstop after the end mark, median / max\t%s / %s ms\t-\t-\n", oMed, oMax
                printf "end mark\tseek-bar jump past the mark to stop, median / max\t%s / %s ms\t-\tplanned at the mark: %s / %s ms\n", jMed, jMax, pjMed, pjMax
                printf "end mark\tCPU while previewing\t%s %%\t%s\tplain playback (planned at the mark: %s)\n", cpu, rCpu, pCpu
                printf "end mark\t1 ms poll (comparison), median / max\t%s / %s ms\t%s\tplain playback (CPU)\n", qMed, qMax, qCpu
            }' "$file" ;;
    tunora_startup_bench)
        awk '
            /^minimal Qt window /          { printf "start-up\tminimal Qt window mapped, median\t%s ms\t1.00\t-\n", $(NF-3) }
            /^Qt window with one label /   { printf "start-up\tQt window with one label mapped, median\t%s ms\t%s\tminimal window\n", $(NF-3), $NF }
            /^tunora, empty settings file/ { printf "start-up\ttunora mapped, empty settings file, median\t%s ms\t%s\tminimal window (target <= 1.5)\n", $(NF-3), $NF }
            /^tunora, 10,000 songs, auto-play/ { printf "start-up\ttunora mapped, 10,000 songs with auto-play, median\t%s ms\t%s\tminimal window (target <= 1.5)\n", $(NF-3), $NF }
            /^first frame, minimal Qt window/ { printf "start-up\tfirst frame, minimal Qt window, median\t%s ms\t1.00\t-\n", $(NF-3) }
            /^first frame, Qt window with one label/ { printf "start-up\tfirst frame, Qt window with one label, median\t%s ms\t%s\tminimal window first frame\n", $(NF-3), $NF }
            /^first frame, tunora, empty/  { printf "start-up\tfirst frame, tunora, empty settings file, median\t%s ms\t%s\tminimal window first frame\n", $(NF-3), $NF }
            /^first frame, tunora, 10,000/ { printf "start-up\tfirst frame, tunora, 10,000 songs with auto-play, median\t%s ms\t%s\tminimal window first frame\n", $(NF-3), $NF }
            /^first sound, /               { printf "start-up\tfirst sound, 10,000 songs with auto-play, median\t%s ms\t-\t-\n", $(NF-3) }' "$file" ;;
    *)
        # A benchmark this script does not know yet: its last line as it stands.
        printf "%s\t(last line)\t%s\t-\t-\n" "${bench#tunora_}" "$(tail -n 1 "$file")" ;;
    esac
    if grep -q '^FAILED$' "$file"; then
        printf "%s\tFAILED, see %s\t-\t-\t-\n" "${bench#tunora_}" "$logs/$bench.err"
    fi
}

{
    printf "benchmark\tmeasure\tfigure\tratio\tagainst\n"
    for bench in "${benches[@]}"; do
        table "$bench"
    done
} | column -t -s $'\t'

exit $failed
