#!/usr/bin/env bash
# Repair benchmark under Wine against the test update server on loopback:
# the check of an installation of 200 files (1 GiB in all by default) and
# the repair of a 1 GiB archive with 20 damaged stretches of 10 KiB, by its
# blocks and by a whole download, in one run. Prints the figures and targets.
# Usage: bench/repair/run_repair_bench.sh BUILD_DIR [MIB]
set -euo pipefail
. "$(dirname "$0")/../bench_lib.sh"
bench_open "$1" repairbench --trust repair_bench
mib="${2:-1024}"
exe="$build/bin/repair_bench.exe"
bench_serve
work="$bench/server/root/repairbench"
mkdir -p "$work/check" "$work/old" "$work/new"

# Prints the damaged bytes rounded up to the 64 KiB blocks they touch.
/usr/bin/python3 - "$work" "$mib" <<'PY'
import hashlib, os, random, sys
work, mib = sys.argv[1], int(sys.argv[2])
rng = random.Random(27)
size, count = mib * 1048576, 200
with open(os.path.join(work, "check", "manifest.txt"), "w") as manifest:
    for n in range(count):
        data = rng.randbytes(size // count + (size % count if n == count - 1 else 0))
        name = "f%03d.pak" % n
        with open(os.path.join(work, "check", name), "wb") as f:
            f.write(data)
        manifest.write("%s %d %s\n" % (name, len(data), hashlib.sha256(data).hexdigest()))
digest = hashlib.sha256()
with open(os.path.join(work, "new", "world.pak"), "wb") as new, open(os.path.join(work, "old", "world.pak"), "wb") as old:
    for _ in range(mib):
        chunk = rng.randbytes(1048576)
        new.write(chunk)
        old.write(chunk)
        digest.update(chunk)
with open(os.path.join(work, "new", "world.sha256"), "w") as f:
    f.write(digest.hexdigest())
block, stretch, touched = 65536, 10240, set()
with open(os.path.join(work, "old", "world.pak"), "r+b") as old:
    for spot in sorted(rng.sample(range(1, 2000), 20)):
        where = spot * (size // 2000) + rng.randrange(block)
        old.seek(where)
        old.write(rng.randbytes(stretch))
        touched.update(range(where // block, (where + stretch - 1) // block + 1))
print(f"damaged: 20 stretches of {stretch} bytes, {len(touched) * block} bytes rounded up to blocks")
with open(os.path.join(work, "rounded"), "w") as f:
    f.write(str(len(touched) * block))
PY
rounded="$(cat "$work/rounded")"
report="$bench/report"
"$src/tests/wine/run.sh" "$bench" "$exe" "https://localhost:$port/fs_c_get.php?fn=repairbench" "$(bench_win_path "$work")" |
  tr -d '\r' | tee "$report"
cmp "$work/new/world.pak" "$work/old/repaired.pak" || { echo "the repair by blocks gave other bytes" >&2; exit 1; }
result="$(grep '^RESULT' "$report")"
value() { echo "$result" | sed -n "s/.* $1=\([0-9.]*\).*/\1/p"; }
fetched="$(value fetched)"; index="$(value index)"
echo "mode $ARKENFEL_ARCH, $mib MiB:"
echo "  check = $(value check_ratio) x min(plain read, platform SHA-256 x threads); target >= 0.9"
awk -v f="$fetched" -v r="$rounded" -v i="$index" 'BEGIN { printf "  fetched %d bytes = %.3f x (damaged blocks + index); target <= 1.1\n", f, f / (r + i) }'
echo "  repair by blocks = $(value block_ratio) x the repair by a whole download; target <= 0.2"
