#!/usr/bin/env bash
# Fuzzes every platform-neutral reader of outside bytes for a minute each (fixed
# seed), seeded from our own assets. Findings are copied to tests/fuzz_regressions/
# so the test command replays them from then on (beside the hostile samples there). Usage: scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
bash scripts/install_deps.sh native tools
build=build/fuzz
CC=clang CXX=clang++ cmake -S tools/fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 2>&1 | grep -E "error|warning" || true

seed_corpus() {  # target -> corpus folder with our own files as seeds
    local t=$1 dir=$build/corpus/$1
    mkdir -p "$dir"
    case $t in
        picture) cp units/assets/*.png units/assets/*.jpg "$dir"/ ; cp units/themes/*/*.png "$dir"/ ;;
        wav) cp units/assets/*.wav "$dir"/ ;;
        mp3) cp tests/fixtures/*.mp3 "$dir"/ 2>/dev/null || true ;;
        to_number) printf '20' >"$dir/a"; printf '\xa3\xb2\xa3\xb0' >"$dir/b"; printf ' -1.5e3x' >"$dir/c" ;;
        split_bytes) printf '\x01C:\\\0D:\\\0' >"$dir/a"; printf '\x0a--a--b' >"$dir/b" ;;
    esac
    echo "$dir"
}

status=0
printf '%-12s %12s %10s %s\n' target runs exec/s result
for t in to_number split_bytes wav picture mp3; do
    corpus=$(seed_corpus "$t")
    findings=$build/findings/$t
    mkdir -p "$findings"
    log=$build/$t.log
    if "$build/fuzz_$t" -seed=1 -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix="$findings/" -print_final_stats=1 "$corpus" >"$log" 2>&1; then
        result=clean
    else
        result=FINDING
        status=1
    fi
    runs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')
    secs=$(grep -E '^stat::' "$log" >/dev/null && echo "$seconds")
    printf '%-12s %12s %10s %s\n' "$t" "${runs:-?}" "$(( ${runs:-0} / ${secs:-1} ))" "$result"
    for f in "$findings"/*; do
        [ -f "$f" ] || continue
        mkdir -p "tests/fuzz_regressions/$t"
        cp "$f" "tests/fuzz_regressions/$t/$(basename "$f")"
        echo "  saved $(basename "$f") to tests/fuzz_regressions/$t/"
    done
done
exit $status
