#!/usr/bin/env bash
# Extraction speed of the archive readers (native core, optimised) against
# the peers on the same archives: a -lh5- LHA archive made by jlha, unpacked
# by us, lhasa and jlha's lha; a deflate ZIP archive made by zip, unpacked
# by us and unzip.  The archives hold about MB megabytes of real files,
# half text and documents from /usr/share, half libraries from /usr/lib.
#
#   bench/archive-bench.sh [MB]    (default 100; after building native-release)
#
# Prints, per tool, the best wall time and the best processor time of three
# runs, the rates in uncompressed MB/s and the peak memory: extracting to
# files, then unpacking alone with the output discarded (file creation costs
# the same for everyone and dominates on a slow disk).  Every member we
# unpack is first checked against the original file.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench=$root/build/native-release/bin/archive_bench
work=${ARCHIVE_BENCH_DIR:-$root/build/archive-bench}
mb=${1:-100}
if [ ! -x "$bench" ]; then
  echo "archive-bench: build the native-release preset first" >&2
  exit 1
fi
mkdir -p "$work"
corpus=$work/corpus-$mb

if [ ! -f "$corpus.done" ]; then
  rm -rf "$corpus"
  echo "archive-bench: collecting $mb MB of files into $corpus"
  python3 - "$corpus" "$mb" <<'PY'
import os, shutil, sys
out, mb = sys.argv[1], int(sys.argv[2])
half = mb * 1000 * 1000 // 2
def collect(top, prefix, budget):
    total = 0
    for folder, dirs, files in os.walk(top):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(folder, name)
            if os.path.islink(path) or not os.path.isfile(path):
                continue
            size = os.path.getsize(path)
            if size == 0 or size > 8 * 1000 * 1000 or total + size > budget:
                continue
            target = os.path.join(out, prefix, os.path.relpath(path, top))
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copy2(path, target)
            total += size
            if total >= budget * 0.999:
                return total
    return total
a = collect("/usr/share", "share", half)
b = collect("/usr/lib/x86_64-linux-gnu", "lib", half)
print(f"archive-bench: {a + b} bytes in the corpus")
PY
  touch "$corpus.done"
fi
lzh=$work/bench-$mb.lzh
zipfile=$work/bench-$mb.zip
if [ ! -f "$lzh" ]; then
  echo "archive-bench: packing $lzh with jlha (-lh5-, level 2)"
  (cd "$corpus" && lha a2o5q "$lzh" share lib >/dev/null)
fi
if [ ! -f "$zipfile" ]; then
  echo "archive-bench: packing $zipfile with zip (deflate)"
  (cd "$corpus" && zip -q -r -X "$zipfile" share lib)
fi
original=$(find "$corpus" -type f -printf "%s\n" | awk "{ s += \$1 } END { print s }")
echo "archive-bench: corpus $((original / 1000000)) MB, $(find "$corpus" -type f | wc -l) files;" \
     "LHA $(($(stat -c %s "$lzh") / 1000000)) MB, ZIP $(($(stat -c %s "$zipfile") / 1000000)) MB"

echo "archive-bench: checking every member we unpack against the corpus"
"$bench" lha "$lzh" --check "$corpus"
"$bench" zip "$zipfile" --check "$corpus"

out=$work/out
# Three runs each: the best wall time, and the best processor time (user +
# system; on a loaded machine the fairer figure), with peak memory.
measure() {
  local label=$1; shift
  local lines=""
  for _ in 1 2 3; do
    rm -rf "$out"; mkdir -p "$out"
    sync
    /usr/bin/time -o "$work/time" -f "%e %U %S %M" "$@" >/dev/null 2>&1 || true
    lines+=$(tail -1 "$work/time")$'\n'
  done
  printf '%s' "$lines" | awk -v l="$label" -v m="$original" '
    NF == 4 {
      cpu = $2 + $3
      if (wall == "" || $1 < wall) wall = $1
      if (best == "" || cpu < best) { best = cpu; user = $2; sys = $3 }
      if ($4 > rss) rss = $4
    }
    END {
      printf "%-22s %7.2f s %7.1f MB/s | %6.2f s (user %5.2f, sys %5.2f) %7.1f MB/s | %6.1f MB\n",
             l, wall, m / 1e6 / (wall > 0 ? wall : 0.01), best, user, sys,
             m / 1e6 / (best > 0 ? best : 0.01), rss / 1024
    }'
}
echo "tool                      wall, best of 3       | processor time, best of 3                  | peak memory"
measure "ours   -lh5-"  "$bench" lha "$lzh" "$out"
measure "lhasa  -lh5-"  lhasa "xqfw=$out" "$lzh"
measure "lha    -lh5- (jlha)" sh -c "cd '$out' && lha xqf '$lzh'"
measure "ours   deflate" "$bench" zip "$zipfile" "$out"
measure "unzip  deflate" unzip -q -o -d "$out" "$zipfile"
echo "unpacking only, the output discarded (to /dev/null):"
measure "ours   -lh5-"  "$bench" lha "$lzh" --discard
measure "lhasa  -lh5-"  lhasa pq "$lzh"
measure "lha    -lh5- (jlha)" lha pq "$lzh"
measure "ours   deflate" "$bench" zip "$zipfile" --discard
measure "unzip  deflate" unzip -p "$zipfile"
echo "(load average: $(cut -d' ' -f1-3 /proc/loadavg); rates in uncompressed MB)"
rm -rf "$out"
