#!/usr/bin/env bash
# How quickly vantix starts: whole processes timed by hyperfine, each as a ratio
# to a bare Qt Core program (a main that makes a QCoreApplication and ends)
# timed in the same round, so that a busy machine shifts both alike. The ratio
# given is the median over the rounds of the ratio of the medians.
#
#   bash bench/startup.sh [ROUNDS [RUNS]]     (default 5 rounds of 20 runs)
#
# The search runs on a demo workspace of 100,000 people, made (with its index)
# once and kept in build/bench/startup; the sqlite3 shell answering the same
# clue from an FTS5 trigram table of the same Name values is timed beside it,
# for reference.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
runs=${2:-20}

bash scripts/install-deps.sh build startup

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTIX_BUILD_TESTS=OFF \
      -DVANTIX_BUILD_BENCH=ON >/dev/null
cmake --build build/bench --target vantix startup_baseline startup_fts_table

vantix=build/bench/src/cli/vantix
baseline=build/bench/bench/startup_baseline
work=build/bench/startup
workspace=$work/workspace-100000
registry=$workspace/registry.sqlite3
fts=$work/names-100000.sqlite3
# The Name index: the values that the FTS5 table holds.
clue=Smi
search=(--registry "$registry" index search "$clue" --fields 1)

# A workspace that the vantix of this build cannot search (none yet, or one of
# an older index format) is made afresh; the demo builds its index as the
# finder's Rebuild does.
if ! "$vantix" "${search[@]}" >/dev/null 2>&1; then
    echo "Making a demo workspace of 100,000 people in $workspace ..." >&2
    rm -rf "$workspace" "$fts"
    "$vantix" demo "$workspace" --contacts 100000 --emails 0 >/dev/null 2>&1
fi
if [ ! -s "$fts" ] || [ ! -s "$work/query.sql" ] || [ "$registry" -nt "$fts" ]; then
    build/bench/bench/startup_fts_table "$workspace" "$fts" "$clue" >"$work/query.sql"
fi
printf '<B>Bold</B> text' >"$work/page.htm"

# hyperfine splits a command line as the shell would, without one.
line() { printf '%q ' "$@"; }
names=(baseline version settings-get index-search sqlite3-fts5 html2rtf)
commands=(
    "$(line "$baseline")"
    "$(line "$vantix" --version)"
    "$(line "$vantix" --registry "$registry" settings get 'Config\Modes' LastMode)"
    "$(line "$vantix" "${search[@]}")"
    "$(line sqlite3 -readonly "$fts" ".read $work/query.sql")"
    "$(line "$vantix" convert html2rtf "$work/page.htm")"
)
# html2rtf runs in vantix-gui, which vantix starts in its place: no target.
targets=("" 1.2 1.2 1.5 "" "")

declare -A wall cpu
for ((round = 1; round <= rounds; round++)); do
    args=()
    for i in "${!names[@]}"; do args+=(-n "${names[$i]}" "${commands[$i]}"); done
    # Its notes on outliers say what the ratios already allow for.
    hyperfine -N --style none --warmup 3 --runs "$runs" --export-csv "$work/round.csv" \
        "${args[@]}" >"$work/hyperfine.log" 2>&1 || { cat "$work/hyperfine.log" >&2; exit 1; }
    # command,mean,stddev,median,user,system,min,max (seconds)
    while IFS=, read -r name _ _ median user system _ _; do
        wall[$name]+="$median "
        cpu[$name]+="$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }') "
    done < <(tail -n +2 "$work/round.csv")
done

median() {
    tr ' ' '\n' | grep . | sort -g |
        awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
ms() { awk -v v="$1" 'BEGIN { print v * 1000 }'; }
# The median over the rounds of one command's figure divided by the baseline's.
ratio() {
    paste -d' ' <(tr ' ' '\n' <<<"$1" | grep .) <(tr ' ' '\n' <<<"$2" | grep .) |
        awk '{ print $1 / $2 }' | tr '\n' ' ' | median
}

echo "$rounds rounds of $runs runs; times in ms are medians (wall) and means (cpu = user + system)"
printf '%-14s %9s %9s %11s %11s  %s\n' command wall cpu "wall ratio" "cpu ratio" target
for i in "${!names[@]}"; do
    name=${names[$i]}
    w=$(median <<<"${wall[$name]}")
    c=$(median <<<"${cpu[$name]}")
    wr=$(ratio "${wall[$name]}" "${wall[baseline]}")
    cr=$(ratio "${cpu[$name]}" "${cpu[baseline]}")
    target=${targets[$i]}
    verdict=""
    if [ -n "$target" ]; then
        verdict=$(awk -v r="$wr" -v t="$target" 'BEGIN { print (r <= t) ? "met" : "missed" }')
        verdict="at most $target: $verdict"
    fi
    printf '%-14s %9.2f %9.2f %11.2f %11.2f  %s\n' "$name" "$(ms "$w")" "$(ms "$c")" "$wr" "$cr" \
        "$verdict"
done
