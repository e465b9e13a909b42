#!/usr/bin/env bash
# Moved, split and merged files under Wine against the test update server on
# loopback: a release of 8 archives (1 GiB by default) installed, then three
# next releases published with the release tool and --previous: (a) an
# archive renamed and moved to another folder, (b) one archive split in two
# with 1 % new bytes, (c) two archives merged with 1 % new bytes. Each is
# fetched by the fetch stage twice: by the blocks the seeds give, and whole.
# Prints the bytes the server sent and the times side by side, and the targets.
# Usage: bench/seeds/run_seed_bench.sh BUILD_DIR [ARCHIVE_MIB]
set -euo pipefail
. "$(dirname "$0")/../bench_lib.sh"
bench_open "$1" seedbench --trust seed_bench arkenfel_release_list
archive_mib="${2:-128}"
bench_serve
work="$bench/server/root/seedbench"
install="$bench/installed"
log="$bench/server/requests.log"
mkdir -p "$work" "$install"

# The releases. Unchanged archives are hard links of the first release's.
/usr/bin/python3 - "$work" "$install" "$archive_mib" <<'PY'
import os, random, sys
work, install, mib = sys.argv[1], sys.argv[2], int(sys.argv[3])
size = mib * 1048576
rng = random.Random(29)
def put(version, rel, data=None, link=None):
    path = os.path.join(work, version, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if link:
        os.link(link, path)
    else:
        with open(path, "wb") as f:
            f.write(data)
def old(n):
    return os.path.join(work, "v1", "data", "arch%d.pak" % n)
archives = []
for n in range(8):
    data = rng.randbytes(size)
    put("v1", "data/arch%d.pak" % n, data)
    archives.append(data)
new_bytes = {}
def release(version, skip, extra):
    for n in range(8):
        if n not in skip:
            put(version, "data/arch%d.pak" % n, link=old(n))
    for rel, data in extra.items():
        put(version, rel, data)
# (a) arch3 renamed and moved to another folder.
release("v2a", {3}, {})
put("v2a", "pak/renamed3.pak", link=old(3))
new_bytes["v2a"] = 0
# (b) arch4 split in two at no block boundary, 1 % new bytes: half behind the
# first part, half in front of the second.
cut = size // 2 + 12345
# (New stretches of no whole count of blocks: each costs the block it ends in.)
n1, n2 = rng.randbytes(size // 200 + 4321), rng.randbytes(size // 200 - 4321)
release("v2b", {4}, {"data/arch4a.pak": archives[4][:cut] + n1, "data/arch4b.pak": n2 + archives[4][cut:]})
new_bytes["v2b"] = len(n1) + len(n2)
# (c) arch6 merged into arch5 behind 1 % new bytes of the two.
n3 = rng.randbytes(2 * size // 100 + 999)
release("v2c", {5, 6}, {"data/arch5.pak": archives[5] + n3 + archives[6]})
new_bytes["v2c"] = len(n3)
for version, count in new_bytes.items():
    with open(os.path.join(work, version + ".new"), "w") as f:
        f.write(str(count))
# The first release as installed.
for n in range(8):
    target = os.path.join(install, "data", "arch%d.pak" % n)
    os.makedirs(os.path.dirname(target), exist_ok=True)
    os.link(old(n), target)
PY

tool="$build/bin/arkenfel_release_list.exe"
"$src/tests/wine/run.sh" "$bench" "$tool" --release "$(bench_win_path "$work/v1")" >/dev/null
cp "$work/v1/Arkenfel_List.ini" "$install/Arkenfel_List.ini"

# The bytes the server sent since line $1 of its log for files of folder $2
# (the list that each pass fetches first left out).
sent_since() {
  tail -n "+$(( $1 + 1 ))" "$log" | /usr/bin/python3 -c '
import json, sys
folder = sys.argv[1]
print(sum(r.get("bytes", 0) for r in map(json.loads, filter(str.strip, sys.stdin))
          if "/%s/" % folder in r.get("fn", "") and r.get("kind") in ("whole", "range")
          and not r["fn"].endswith("/Arkenfel_List.ini")))' "$2"
}

# One pass of seed_bench: checks the staged files against the release and
# removes them; prints "<seconds> <bytes the server sent> [<hash s> <copy s>]".
fetch_pass() {  # VERSION MODE
  local version="$1" mode="$2" before report staged unix rel
  before="$(wc -l < "$log")"
  report="$bench/pass.out"
  if ! "$src/tests/wine/run.sh" "$bench" "$build/bin/seed_bench.exe" \
      "https://localhost:$port/fs_c_get.php?fn=seedbench/$version" "$(bench_win_path "$work/$version")" \
      "$(bench_win_path "$install")" "$mode" | tr -d '\r' > "$report"; then
    cat "$report" >&2
    return 1
  fi
  for staged in $(sed -n 's/^STAGED //p' "$report"); do
    unix="${staged#Z:}"; unix="${unix//\\//}"
    rel="${unix#"$install"/}"
    cmp "$unix" "$work/$version/${rel%_}" >&2 || { echo "$mode: $rel differs from the release" >&2; return 1; }
    rm -f "$unix"
  done
  echo "$(sed -n 's/^RESULT.* seconds=\([0-9.]*\).*/\1/p' "$report") $(sent_since "$before" "$version")" \
       "$(sed -n 's/^FLOOR hash=\([0-9.]*\) copy=\([0-9.]*\)/\1 \2/p' "$report")"
}

printf "mode %s, 8 archives of %s MiB\n" "$ARKENFEL_ARCH" "$archive_mib"
printf "%-31s %11s %11s %7s %8s %7s %6s  %6s %6s %6s\n" case "new+indexes" "fetched" "bytes x" "blocks s" \
  "whole s" "time x" "hash s" "copy s" "rest s"
status=0
for case in "v2a:(a) renamed and moved" "v2b:(b) split in two, 1 % new" "v2c:(c) two merged, 1 % new"; do
  version="${case%%:*}"; title="${case#*:}"
  start="$(date +%s.%N)"
  "$src/tests/wine/run.sh" "$bench" "$tool" --release "$(bench_win_path "$work/$version")" \
      --previous "$(bench_win_path "$work/v1")" >/dev/null
  publish="$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')"
  result="$(fetch_pass "$version" blocks)" || exit 1
  read -r blocks_s blocks_sent hash_s copy_s <<<"$result"
  result="$(fetch_pass "$version" whole)" || exit 1
  read -r whole_s whole_sent <<<"$result"
  # The indexes of the files the pass fetched: those not installed as they are.
  indexes="$(/usr/bin/python3 - "$work" "$install" "$version" <<'PY'
import filecmp, os, sys
work, install, version = sys.argv[1:]
total = 0
for top, _, names in os.walk(os.path.join(work, version)):
    for name in names:
        if not name.endswith(".blkidx"):
            continue
        rel = os.path.relpath(os.path.join(top, name), os.path.join(work, version))[:-len(".blkidx")]
        mine = os.path.join(install, rel)
        if not (os.path.exists(mine) and filecmp.cmp(mine, os.path.join(work, version, rel), shallow=False)):
            total += os.path.getsize(os.path.join(top, name))
print(total)
PY
)"
  floor=$(( $(cat "$work/$version.new") + indexes ))
  awk -v t="$title" -v f="$floor" -v b="$blocks_sent" -v bs="$blocks_s" -v ws="$whole_s" -v h="$hash_s" \
      -v c="$copy_s" 'BEGIN { printf "%-31s %11d %11d %7.3f %8.2f %7.2f %6.3f  %6.2f %6.2f %6.2f\n",
                                      t, f, b, b / f, bs, ws, bs / ws, h, c, bs - h - c }'
  awk -v f="$floor" -v b="$blocks_sent" -v bs="$blocks_s" -v ws="$whole_s" 'BEGIN { exit !(b <= 1.1 * f && bs <= 0.2 * ws) }' ||
    status=1
  echo "  whole: $whole_sent bytes sent; published with --previous in $(printf %.1f "$publish") s"
done
echo "targets: fetched <= 1.1 x (new bytes + indexes), time by blocks <= 0.2 x the whole fetch"
echo "hash s: the platform's SHA-256 of the files' bytes in 64 KiB blocks on two threads (every reused block"
echo "is confirmed by it); copy s: a plain copy of them; rest s: the pass by blocks less those two"
[ "$status" = 0 ] && echo "all targets met" || echo "a target was missed"
exit "$status"
