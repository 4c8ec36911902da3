#!/usr/bin/env bash
# Builds Quorvane with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test; exits non-zero on any failure.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-test"

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_SANITIZE=ON
cmake --build "$build"

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --timeout 900

# Each fuzz target runs for a minute when clang is installed, seeded with
# the lesson movies this build made.
bash "$root/scripts/fuzz.sh" 60 "$build/course/fyf"
