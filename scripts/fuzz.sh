#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number
# of seconds (default 60), starting from the course's generated lesson movies,
# the kept inputs of tests/data and, when the shared corpus is there, its
# movies (read in place). Inputs that crash end up in build-fuzz/crashes/;
# keep them in tests/data/fuzz-regressions/ once fixed, as NAME.swf or with
# the extension of the target that replays them (NAME.actions, NAME.sound,
# NAME.lessonlist, NAME.textlesson, NAME.speechtext, NAME.printlayout). Exits 0
# without doing anything when clang++ is missing.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-fuzz"
seconds="${1:-60}"
corpus="${QUORVANE_SWF_CORPUS:-$root/../shared/swf-corpus}"

if ! command -v clang++ >/dev/null; then
  echo "clang++ not found: fuzzing skipped"
  exit 0
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target quorvane-fuzz-movie quorvane-fuzz-sound quorvane-fuzz-actions \
  quorvane-fuzz-lessonlist quorvane-fuzz-textlesson quorvane-fuzz-speechtext \
  quorvane-fuzz-printlayout quorvane-fuzz-seeds course -- -j2

mkdir -p "$build/crashes" "$build/fuzz-corpus/movie" "$build/fuzz-corpus/actions" "$build/fuzz-seeds"
mkdir -p "$root/tests/data/fuzz-regressions"
seeds=("$root/tests/data/fuzz-regressions" "$root/tests/data/hostile-movies" "$build/course/fyf"
       "$build/fuzz-seeds")
# Mutations of zlib data rarely decompress: give the fuzzer the lesson
# movies uncompressed as well.
if command -v python3 >/dev/null; then
  python3 - "$build/course/fyf" "$build/fuzz-seeds" <<'PYTHON'
import pathlib, sys, zlib
for movie in pathlib.Path(sys.argv[1]).glob("*.swf"):
    data = movie.read_bytes()
    if data[:3] == b"CWS":
        body = zlib.decompress(data[8:])
        (pathlib.Path(sys.argv[2]) / movie.name).write_bytes(b"FWS" + data[3:8] + body)
PYTHON
fi
QT_QPA_PLATFORM=offscreen "$build/fuzz/quorvane-fuzz-seeds" "$build/fuzz-seeds"
if [[ -d "$corpus" ]]; then
  seeds+=("$corpus")
fi
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp"
"$build/fuzz/quorvane-fuzz-movie" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=65536 -artifact_prefix="$build/crashes/" -print_final_stats=1 \
  "$build/fuzz-corpus/movie" "${seeds[@]}"
mkdir -p "$build/fuzz-corpus/sound"
"$build/fuzz/quorvane-fuzz-sound" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=16384 -artifact_prefix="$build/crashes/sound-" -print_final_stats=1 \
  "$build/fuzz-corpus/sound"
# Action bytecode: crash inputs are kept as tests/data/fuzz-regressions/NAME.actions.
"$build/fuzz/quorvane-fuzz-actions" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=4096 -artifact_prefix="$build/crashes/actions-" -print_final_stats=1 \
  "$build/fuzz-corpus/actions" "$root/tests/data/fuzz-regressions"
# The lesson list, the text pane, speech input and the print layout, each
# from its hand-made seeds in fuzz/seeds/. Their code is small next to the
# engine's, so half the time covers it as well.
for target in lessonlist textlesson speechtext printlayout; do
  mkdir -p "$build/fuzz-corpus/$target"
  "$build/fuzz/quorvane-fuzz-$target" -max_total_time="$(((seconds + 1) / 2))" -timeout=10 \
    -rss_limit_mb=2048 \
    -max_len=4096 -artifact_prefix="$build/crashes/$target-" -print_final_stats=1 \
    "$build/fuzz-corpus/$target" "$root/fuzz/seeds/$target"
done
