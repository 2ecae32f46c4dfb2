#!/usr/bin/env bash
# Measures what the test suite catches. Each seeded fault of
# scripts/mutations.txt is applied to src/ on its own, the tests are built
# and run, and the fault is CAUGHT when some test fails, MISSED when none
# does. src/ is restored after every fault, and on any way out.
#
# A fault names the file it is expected in; when its text is not there (the
# code moved), it is looked for in the whole of src/. A text found nowhere,
# or more than once, is NOT APPLIED and counts apart from the others.
#
# Usage: scripts/mutate.sh [--list] [--only F03,F07] [--build DIR]
#   --list        print the faults and stop
#   --only IDS    run only these faults (comma-separated)
#   --build DIR   build folder (default build-mutate; configured if missing)
set -uo pipefail
cd "$(dirname "$0")/.."

faults=scripts/mutations.txt
build=build-mutate
only=
listOnly=0
while [ $# -gt 0 ]; do
    case $1 in
    --list) listOnly=1 ;;
    --only) only=$2; shift ;;
    --build) build=$2; shift ;;
    -h | --help) sed -n '2,/^set /{/^set /d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
    *) echo "mutate.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

# The list's parser and the one place that edits src/. Literal texts only:
# no pattern characters mean anything.
#   select LIST ONLY        id, hint and description of each fault chosen
#   apply LIST ID SAVED     applies fault ID, the original file kept in SAVED
faultTool() {
    python3 - "$@" <<'EOF'
import pathlib, shutil, sys

def faults(path):
    for n, line in enumerate(open(path, encoding='utf-8'), 1):
        line = line.rstrip('\n')
        if not line.strip() or line.startswith('#'):
            continue
        f = line.split('\t')
        if len(f) != 5:
            sys.exit(f'{path}:{n}: five tab-separated fields expected')
        yield f

cmd, path = sys.argv[1], sys.argv[2]
if cmd == 'select':
    wanted = {w for w in sys.argv[3].split(',') if w}
    for fid, hint, old, new, what in faults(path):
        if not wanted or fid in wanted:
            print(f'{fid}\t{hint}\t{what}')
    sys.exit(0)

fid, saved = sys.argv[3], pathlib.Path(sys.argv[4])
fid, hint, old, new, what = next(f for f in faults(path) if f[0] == fid)
# The hinted file first; the text must still be the only one of its kind
# in src/, wherever it has gone.
src = pathlib.Path('src')
files = sorted(p for p in src.rglob('*') if p.is_file())
files.sort(key=lambda p: p != src / hint)
texts = {p: p.read_text(encoding='utf-8') for p in files}
count = sum(t.count(old) for t in texts.values())
if count != 1:
    print('not found in src/' if count == 0 else f'found {count} times in src/')
    sys.exit(1)
target = next(p for p, t in texts.items() if old in t)
saved.mkdir(parents=True, exist_ok=True)
shutil.copyfile(target, saved / 'original')
(saved / 'path').write_text(str(target))
target.write_text(texts[target].replace(old, new, 1), encoding='utf-8')
print(target.relative_to(src))
EOF
}

if [ "$listOnly" = 1 ]; then
    faultTool select "$faults" "$only" | while IFS=$'\t' read -r id hint what; do
        printf '%s %-28s %s\n' "$id" "$hint" "$what"
    done
    exit 0
fi

if ! git diff --quiet -- src; then
    echo "mutate.sh: src/ has changes; commit or stash them first" >&2
    exit 2
fi

export CCACHE_BASEDIR=${CCACHE_BASEDIR:-/work} CCACHE_DIR=${CCACHE_DIR:-/work/.ccache}
export QT_QPA_PLATFORM=offscreen
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DBUILD_TESTING=ON -DORVANE_BENCH=ON \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null || exit 1
fi

# Puts back the file a fault changed. Copied, not moved, so the file is newer
# than the faulty object and the next build compiles it again.
saved=$build/mutate-saved
restore() {
    if [ -f "$saved/path" ]; then
        cp "$saved/original" "$(cat "$saved/path")"
        rm -f "$saved/path" "$saved/original"
    fi
}
trap restore EXIT
trap 'exit 130' INT TERM
restore # left over from a run that was killed

# Everything the tests run: the program, the test program, the batch program, the
# manual pages and changelog the install test lays out, and the corpus replays.
targets=(orvane orvane_tests orvane-batch manual_pages package_changelog $(ninja -C "$build" -t targets all | grep -o '^fuzz_replay_[a-z0-9_]*' | sort -u))
buildAll() { ninja -C "$build" "${targets[@]}" </dev/null >"$build/mutate-build.log" 2>&1; }
# The tests' scratch files go to a folder of this run's own: a suite run at
# the same time from another checkout must not see them.
scratch=$(cd "$build" && pwd)/mutate-tmp
runTests() {
    rm -rf "$scratch" && mkdir -p "$scratch"
    TMPDIR=$scratch timeout 900 ctest --test-dir "$build" -j2 --timeout 300 --stop-on-failure \
        </dev/null >"$build/mutate-test.log" 2>&1
}

# The unchanged tree first: a suite that fails already measures nothing.
if ! buildAll; then
    echo "mutate.sh: the unchanged tree does not build (see $build/mutate-build.log)" >&2
    exit 1
fi
start=$SECONDS
if ! runTests; then
    echo "mutate.sh: the tests fail on the unchanged tree (see $build/mutate-test.log)" >&2
    exit 1
fi
echo "unchanged tree: tests pass in $((SECONDS - start)) s"

caught=0 ran=0 notApplied=0 broken=0 missed=()
while IFS=$'\t' read -r id hint what; do
    if ! file=$(faultTool apply "$faults" "$id" "$saved"); then
        printf '%s NOT APPLIED %s  %s (%s)\n' "$id" "$hint" "$what" "$file"
        notApplied=$((notApplied + 1))
        continue
    fi
    if ! buildAll; then
        result="DOES NOT BUILD"
        broken=$((broken + 1))
    elif runTests; then
        result=MISSED
        ran=$((ran + 1))
        missed+=("$id")
    else
        result=CAUGHT
        ran=$((ran + 1))
        caught=$((caught + 1))
    fi
    restore
    printf '%s %s %s  %s\n' "$id" "$result" "$file" "$what"
done < <(faultTool select "$faults" "$only")

restore
buildAll # leave the build folder matching the tree
echo "caught $caught of $ran ($notApplied not applied$([ "$broken" -gt 0 ] && echo ", $broken do not build"))"
[ ${#missed[@]} -gt 0 ] && echo "missed: ${missed[*]}"
echo "run time: $((SECONDS / 60)) min $((SECONDS % 60)) s"
git diff --quiet -- src || echo "mutate.sh: src/ differs from the last commit after the run" >&2
exit 0
