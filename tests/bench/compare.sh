#!/bin/bash
# Compares nsrtool with the same work done by standard tools, one after another:
#   encode:  openssl enc -rc4 (encipher), md5sum (digest), sync (on disk)
#   decode:  md5sum (digest check), openssl enc -d -rc4 (decipher), sync
# and measures the peak memory of nsrtool decode/encode against the file size.
#
# Usage: tests/bench/compare.sh [NSRTOOL] [SIZE_MIB] [RUNS]
#   NSRTOOL   path of nsrtool (default: build-data/bin/nsrtool)
#   SIZE_MIB  size of the text in MiB (default 256)
#   RUNS      timed runs per command; the median counts (default 5)
# Files go to a fresh folder under $TMPDIR (or /tmp), removed at the end.
set -euo pipefail

NSRTOOL=${1:-build-data/bin/nsrtool}
MIB=${2:-256}
RUNS=${3:-5}
GOAL=1.25

[ -x "$NSRTOOL" ] || { echo "compare.sh: $NSRTOOL: not an executable" >&2; exit 2; }
for tool in openssl md5sum /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "compare.sh: $tool is missing" >&2; exit 2; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/nsr-compare.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
KEY=$(printf 'HarborLinenTusk' | sha1sum | cut -c1-32)
RC4=(openssl enc -rc4 -K "$KEY" -nosalt -provider legacy -provider default)

echo "text: $MIB MiB in $WORK, $RUNS runs each, median counts"
head -c $((MIB * 1048576)) /dev/urandom >"$WORK/plain"
"$NSRTOOL" encode "$WORK/plain" "$WORK/data.nsr"
tail -c +25 "$WORK/data.nsr" >"$WORK/cipher"
# Both sides must do the same work on the same bytes.
"${RC4[@]}" -in "$WORK/plain" | cmp -s - "$WORK/cipher" ||
    { echo "compare.sh: nsrtool and openssl disagree on the ciphertext" >&2; exit 1; }
sync

now() { date +%s%N; }

# median_ms CLEANUP COMMAND...: runs the command RUNS times (after CLEANUP each time).
median_ms() {
    local cleanup=$1
    shift
    local times=()
    for ((i = 0; i < RUNS; i++)); do
        eval "$cleanup"
        sync
        local t0 t1
        t0=$(now)
        "$@"
        t1=$(now)
        times+=($(((t1 - t0) / 1000000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((RUNS + 1) / 2))p"
}

nsr_encode() { "$NSRTOOL" encode "$WORK/plain" "$WORK/out.nsr"; }
std_encode() {
    "${RC4[@]}" -in "$WORK/plain" -out "$WORK/out.bin"
    md5sum "$WORK/out.bin" >/dev/null
    sync
}
nsr_decode() { "$NSRTOOL" decode "$WORK/data.nsr" "$WORK/out.txt"; }
std_decode() {
    md5sum "$WORK/cipher" >/dev/null
    "${RC4[@]}" -d -in "$WORK/cipher" -out "$WORK/out.txt"
    sync
}

CLEAN='rm -f "$WORK/out.nsr" "$WORK/out.bin" "$WORK/out.txt"'
enc_nsr=$(median_ms "$CLEAN" nsr_encode)
enc_std=$(median_ms "$CLEAN" std_encode)
dec_nsr=$(median_ms "$CLEAN" nsr_decode)
dec_std=$(median_ms "$CLEAN" std_decode)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { awk -v r="$1" -v g="$2" 'BEGIN { print (r <= g) ? "ok" : "ABOVE GOAL" }'; }

peak_kib() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }
eval "$CLEAN"
mem_dec=$(peak_kib "$NSRTOOL" decode "$WORK/data.nsr" "$WORK/out.txt")
eval "$CLEAN"
mem_enc=$(peak_kib "$NSRTOOL" encode "$WORK/plain" "$WORK/out.nsr")
file_kib=$((($(stat -c %s "$WORK/data.nsr") + 1023) / 1024))

r=$(ratio "$enc_nsr" "$enc_std")
printf 'encode: nsrtool %6d ms   openssl+md5sum+sync %6d ms   ratio %s (goal <= %s) %s\n' \
    "$enc_nsr" "$enc_std" "$r" "$GOAL" "$(verdict "$r" "$GOAL")"
r=$(ratio "$dec_nsr" "$dec_std")
printf 'decode: nsrtool %6d ms   md5sum+openssl+sync %6d ms   ratio %s (goal <= %s) %s\n' \
    "$dec_nsr" "$dec_std" "$r" "$GOAL" "$(verdict "$r" "$GOAL")"
r=$(ratio "$mem_dec" "$file_kib")
printf 'peak memory: decode %d KiB = %sx the file (goal < 4) %s\n' "$mem_dec" "$r" \
    "$(verdict "$r" 3.999)"
printf 'peak memory: encode %d KiB = %sx the file\n' "$mem_enc" "$(ratio "$mem_enc" "$file_kib")"
