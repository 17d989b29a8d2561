#!/usr/bin/env bash
# Builds the libFuzzer targets of the CUE sheet and playlist readers with clang, ASan and UBSan,
# into $SONVALE_BUILD_DIR/fuzz-lists (build/fuzz-lists by default).
# With a number of seconds as argument, also runs each target that long on its seed corpus
# (copied, so the corpus in the tree stays small) and fails when a target finds a crash.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out=${SONVALE_BUILD_DIR:-$root/build}/fuzz-lists
seconds=${1:-}
mkdir -p "$out"

sources=(
  "$root"/platform/engine/lists/*.cpp
  "$root"/platform/system/AtomicFile.cpp
)
flags=(-std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined
       -I"$root" $(pkg-config --cflags libcue libxml-2.0))
libs=($(pkg-config --libs libcue libxml-2.0))

for target in CueSheetFuzzer PlaylistFuzzer; do
  clang++ "${flags[@]}" "$root/fuzz/lists/$target.cpp" "${sources[@]}" "${libs[@]}" -o "$out/$target"
  echo "built $out/$target"
done

# libcue (not built with the sanitizers) leaks its disc record on every sheet it fails to parse.
# The CUE target leaves leak detection off so that it looks for memory errors, and fuzzes in a
# child process that is restarted between jobs, so the leak never adds up to the memory limit.
options_cue=(-detect_leaks=0 -fork=1)
options_playlist=()
asan_cue=detect_leaks=0
asan_playlist=

if [[ -n "$seconds" ]]; then
  for pair in CueSheetFuzzer:cue PlaylistFuzzer:playlist; do
    target=${pair%%:*}
    kind=${pair##*:}
    corpus="$out/corpus-$kind"
    mkdir -p "$corpus"
    cp -n "$root/fuzz/lists/corpus/$kind"/* "$corpus"/ 2>/dev/null || true
    options="options_$kind[@]"
    asan="asan_$kind"
    (cd "$out" && ASAN_OPTIONS="${!asan}" "./$target" "${!options}" -max_total_time="$seconds" \
       -max_len=65536 -timeout=10 "$corpus")
  done
fi
