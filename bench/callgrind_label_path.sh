#!/usr/bin/env bash
# Instructions per label on the label path, counted by callgrind: a figure
# that does not depend on the machine's load, to compare a change against.
#
#   bench/callgrind_label_path.sh [BUILD_DIR]     (default build/default)
#
# For the plug-in on the virtual device and for the floor beside it
# (bench/label_trip.h), labels of 10, 255 and 2999 bytes, good-read beep on
# and off, label_trip_count runs twice under callgrind, with 200 and 2200
# labels; the difference divided by 2000 leaves out start-up and shut-down.
# Threads are counted apart: "reader" is the scan thread (the floor's reader),
# "producer" the thread pushing labels into the driver and waiting for the
# reader to block again. Valgrind runs one thread at a time, with its fair
# scheduling here; most runs repeat to within a few instructions a label, but
# now and then a whole run settles into another pattern of hand-overs, a few
# percent off, so each case is measured three times and the median taken.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
runner=$build/bench/label_trip_count
[ -x "$runner" ] || { echo "no $runner: build the default preset first" >&2; exit 1; }
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
few=200
many=2200

# Instructions of thread 1 and of the other threads, for one run.
count() {  # mode bytes beep labels
  local out=$work/$1.$2.$3.$4
  valgrind --tool=callgrind --fair-sched=yes --separate-threads=yes --callgrind-out-file="$out.%p" \
    "$runner" "$1" "$2" "$3" "$4" >/dev/null 2>"$out.log" ||
    { cat "$out.log" >&2; exit 1; }
  awk '/^totals:/ { if (FILENAME ~ /-01$/) producer += $2; else reader += $2 }
       END { print producer, reader }' "$out".*-*
  rm -f "$out".*
}

# Instructions per label of one case, measured once: "producer reader".
perLabel() {  # mode bytes beep
  local p1 r1 p2 r2
  read -r p1 r1 < <(count "$1" "$2" "$3" $few)
  read -r p2 r2 < <(count "$1" "$2" "$3" $many)
  awk -v p1="$p1" -v r1="$r1" -v p2="$p2" -v r2="$r2" -v n=$((many - few)) \
    'BEGIN { printf "%.0f %.0f\n", (p2 - p1) / n, (r2 - r1) / n }'
}

median3() { sort -n | sed -n 2p; }

printf '%-7s %6s %5s %12s %12s %12s\n' path bytes beep reader producer total
for mode in plugin floor; do
  for beep in 1 0; do
    for bytes in 10 255 2999; do
      runs=$(for _ in 1 2 3; do perLabel $mode $bytes $beep; done)
      producer=$(cut -d' ' -f1 <<<"$runs" | median3)
      reader=$(cut -d' ' -f2 <<<"$runs" | median3)
      printf '%-7s %6d %5d %12d %12d %12d\n' $mode $bytes $beep "$reader" "$producer" \
        $((reader + producer))
    done
  done
done
