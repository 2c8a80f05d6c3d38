#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test; then builds the fuzz
# target with clang and gives it a short run over arbitrary reply bytes.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" -DKELVANE_WERROR=ON -DKELVANE_TESTS=ON
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${KELVANE_BUILD_DIR:-$here/build}" --output-on-failure --parallel "$(nproc)"
if [ -f "$here/fuzz/CMakeLists.txt" ]; then
    fuzz_build="$here/build-fuzz"
    CC=clang CXX=clang++ cmake -S "$here" -B "$fuzz_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKELVANE_UI=OFF -DKELVANE_TESTS=OFF -DKELVANE_BENCH=OFF -DKELVANE_FUZZ=ON >/dev/null
    cmake --build "$fuzz_build" --parallel "$(nproc)"
    for target in "$fuzz_build"/fuzz/fuzz_*; do
        [ -x "$target" ] || continue
        "$target" -max_total_time=20 -max_len=2048 -print_final_stats=0 2>&1 | tail -n 2
    done
fi
echo "All tests passed."
