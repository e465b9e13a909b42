#!/usr/bin/env bash
# Block-delta benchmark under Wine against the test update server on
# loopback: an archive (1 GiB by default) with 1 % of its bytes changed in 20
# places, some of them insertions, updated by its blocks and downloaded whole
# in the same run. Prints the figures and the targets.
# Usage: bench/delta/run_delta_bench.sh BUILD_DIR [FILE_MIB]
set -euo pipefail
. "$(dirname "$0")/../bench_lib.sh"
bench_open "$1" deltabench --trust delta_bench
file_mib="${2:-1024}"
exe="$build/bin/delta_bench.exe"
bench_serve
work="$bench/server/root/deltabench"
mkdir -p "$work/old" "$work/new"

# 20 changes of 1/2000 of the file each: 14 overwrites, 6 insertions. Prints
# the changed bytes rounded up to 64 KiB blocks (in the new file's offsets).
/usr/bin/python3 - "$work" "$file_mib" <<'PY'
import os, random, sys
work, mib = sys.argv[1], int(sys.argv[2])
size = mib * 1048576
block = 65536
rng = random.Random(14)
with open(os.path.join(work, "old", "world.pak"), "wb") as f:
    for _ in range(mib):
        f.write(rng.randbytes(1048576))
change = size // 2000
spots = sorted(rng.sample(range(1, 2000), 20))
insert = set(rng.sample(range(20), 6))
rounded = 0
shift = 0
with open(os.path.join(work, "old", "world.pak"), "rb") as old, open(os.path.join(work, "new", "world.pak"), "wb") as new:
    at = 0
    for n, spot in enumerate(spots):
        where = spot * (size // 2000)
        new.write(old.read(where - at))
        at = where
        start = at + shift
        new.write(rng.randbytes(change))
        if n in insert:
            shift += change
        else:
            old.seek(change, 1)
            at += change
        rounded += ((start + change + block - 1) // block - start // block) * block
    new.write(old.read())
print(f"changed: {20 * change} bytes in 20 places (6 insertions), {rounded} bytes rounded up to blocks")
with open(os.path.join(work, "rounded"), "w") as f:
    f.write(str(rounded))
PY
rounded="$(cat "$work/rounded")"
win_work="$(bench_win_path "$work")"
report="$bench/report"
"$src/tests/wine/run.sh" "$bench" "$exe" "https://localhost:$port/fs_c_get.php?fn=deltabench" "$win_work" | tr -d '\r' | tee "$report"
cmp "$work/new/world.pak" "$work/old/world.pak_" || { echo "the update by blocks gave other bytes" >&2; exit 1; }
result="$(grep '^RESULT' "$report")"
value() { echo "$result" | sed -n "s/.* $1=\([0-9.]*\).*/\1/p"; }
fetched="$(value fetched)"; index="$(value index)"
echo "mode $ARKENFEL_ARCH, $file_mib MiB:"
awk -v f="$fetched" -v r="$rounded" -v i="$index" 'BEGIN { printf "  fetched %d bytes = %.3f x (changed bytes rounded up to blocks + index); target <= 1.1 plus the index: %.3f\n", f, f / (r + i), (f - i) / r }'
echo "  block search = $(value scan_ratio) x the plain read's speed; target >= 0.5"
echo "  update by blocks = $(value update_ratio) x the whole download's time; target <= 0.2"
