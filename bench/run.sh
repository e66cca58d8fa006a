#!/usr/bin/env bash
# Runs the benchmarks, then times the branding container tool against 7-Zip's AES-128 ZIP
# on the same 256 MiB file, side by side. Usage: bench/run.sh [BUILD_DIR]  (default: build)
set -euo pipefail

build=${1:-build}
bin="$build/bin"
[ -x "$bin/tallywick_bench_container" ] || { echo "build with -DTALLYWICK_BENCH=ON first: $bin/tallywick_bench_container missing" >&2; exit 2; }

for program in "$bin"/tallywick_bench_*; do
  echo "== $(basename "$program")"
  "$program"
done

sevenzip=$(command -v 7zz || command -v 7z || true)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c $((256 << 20)) /dev/urandom > "$work/plain.bin"
password=wepdorukiv # the tool's built-in password, so both sides do the same work

# Prints the best wall time of three runs, in seconds.
best_of_three() {
  local best=""
  for _ in 1 2 3; do
    "$@" pre >/dev/null 2>&1 || true
    local start end
    start=$(date +%s.%N)
    "$@" run >/dev/null 2>&1
    end=$(date +%s.%N)
    best=$(echo "$start $end ${best:-1e9}" | awk '{ t = $2 - $1; print (t < $3 ? t : $3) }')
  done
  echo "$best"
}

tool_encrypt() { [ "$1" = pre ] && rm -f "$work/t.dat" || "$bin/tallywick-brand" encrypt "$work/plain.bin" "$work/t.dat"; }
tool_decrypt() { [ "$1" = pre ] && rm -f "$work/t.out" || "$bin/tallywick-brand" decrypt "$work/t.dat" "$work/t.out"; }
zip_encrypt() { [ "$1" = pre ] && rm -f "$work/z.zip" || "$sevenzip" a -tzip -mx0 -mem=AES128 -p"$password" "$work/z.zip" "$work/plain.bin"; }
zip_decrypt() { [ "$1" = pre ] && rm -rf "$work/z" || "$sevenzip" x -y -p"$password" -o"$work/z" "$work/z.zip"; }

rate() { awk -v t="$1" 'BEGIN { printf "%8.3f s  %7.0f MiB/s", t, 256 / t }'; }

echo
echo "== 256 MiB file, best of three (wall time)"
te=$(best_of_three tool_encrypt); td=$(best_of_three tool_decrypt)
printf '%-40s %s\n' "tallywick-brand encrypt" "$(rate "$te")"
printf '%-40s %s\n' "tallywick-brand decrypt" "$(rate "$td")"
cmp -s "$work/plain.bin" "$work/t.out" || { echo "tool round trip differs" >&2; exit 1; }
if [ -n "$sevenzip" ]; then
  ze=$(best_of_three zip_encrypt); zd=$(best_of_three zip_decrypt)
  printf '%-40s %s\n' "$(basename "$sevenzip") a -tzip -mx0 -mem=AES128" "$(rate "$ze")"
  printf '%-40s %s\n' "$(basename "$sevenzip") x" "$(rate "$zd")"
  cmp -s "$work/plain.bin" "$work/z/plain.bin" || { echo "7-Zip round trip differs" >&2; exit 1; }
  awk -v a="$te" -v b="$ze" -v c="$td" -v d="$zd" \
    'BEGIN { printf "tool vs 7-Zip: encrypt %.2fx, decrypt %.2fx faster\n", b / a, d / c }'
else
  echo "7-Zip not installed; skipped the side-by-side"
fi
