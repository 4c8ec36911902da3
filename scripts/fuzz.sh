#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number
# of seconds (default 60), starting from the course's generated lesson movies
# (those of the assembled course folder given second, else of its own build),
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
course="${2:-}"
corpus="${QUORVANE_SWF_CORPUS:-$root/../shared/swf-corpus}"

if ! command -v clang++ >/dev/null; then
  echo "clang++ not found: fuzzing skipped"
  exit 0
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_BUILD_TESTS=OFF >/dev/null
targets=(quorvane-fuzz-movie quorvane-fuzz-sound quorvane-fuzz-actions quorvane-fuzz-lessonlist
         quorvane-fuzz-textlesson quorvane-fuzz-speechtext quorvane-fuzz-printlayout
         quorvane-fuzz-seeds)
if [[ -z "$course" ]]; then
  targets+=(course)
  course="$build/course/fyf"
fi
cmake --build "$build" --target "${targets[@]}" -- -j2

mkdir -p "$build/crashes" "$build/fuzz-corpus/movie" "$build/fuzz-corpus/actions" "$build/fuzz-seeds"
mkdir -p "$root/tests/data/fuzz-regressions"
seeds=("$root/tests/data/fuzz-regressions" "$root/tests/data/hostile-movies" "$course"
       "$build/fuzz-seeds")
# Mutations of zlib data rarely decompress: give the fuzzer the lesson
# movies uncompressed as well.
if command -v python3 >/dev/null; then
  python3 - "$course" "$build/fuzz-seeds" <<'PYTHON'
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

# Runs a target for the given seconds from its corpus folder and seeds,
# and from the minimised corpus that earlier long runs left in fuzz/corpus/.
fuzz() {
  local target="$1" time="$2" length="$3" prefix="$4" corpus="$5"
  shift 5
  mkdir -p "$corpus"
  local kept=()
  if [[ -d "$root/fuzz/corpus/$target" ]]; then
    kept=("$root/fuzz/corpus/$target")
  fi
  "$build/fuzz/quorvane-fuzz-$target" -max_total_time="$time" -timeout=10 -rss_limit_mb=2048 \
    -max_len="$length" -artifact_prefix="$build/crashes/$prefix" -print_final_stats=1 \
    "$corpus" "${kept[@]}" "$@"
}

# Two targets at a time, one a core; each still gets all its time. The
# lesson list, the text pane, speech input and the print layout start from
# their hand-made seeds in fuzz/seeds/; their code is small next to the
# engine's, so half the time covers it as well. Crash inputs of the actions
# target are kept as tests/data/fuzz-regressions/NAME.actions.
half=$(((seconds + 1) / 2))
fuzz movie "$seconds" 65536 "" "$build/fuzz-corpus/movie" "${seeds[@]}" &
first=$!
fuzz sound "$seconds" 16384 sound- "$build/fuzz-corpus/sound"
wait "$first"
fuzz actions "$seconds" 4096 actions- "$build/fuzz-corpus/actions" \
  "$root/tests/data/fuzz-regressions" &
first=$!
for target in lessonlist textlesson; do
  fuzz "$target" "$half" 4096 "$target-" "$build/fuzz-corpus/$target" "$root/fuzz/seeds/$target"
done
wait "$first"
fuzz speechtext "$half" 4096 speechtext- "$build/fuzz-corpus/speechtext" \
  "$root/fuzz/seeds/speechtext" &
first=$!
fuzz printlayout "$half" 4096 printlayout- "$build/fuzz-corpus/printlayout" \
  "$root/fuzz/seeds/printlayout"
wait "$first"
