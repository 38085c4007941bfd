#!/usr/bin/env bash
# Evidence that the tests catch real faults: puts each fault of tools/mutants.txt into the sources alone,
# rebuilds what its tests need, runs them, puts the source back and prints what each fault came to.
#
#   tools/mutants.sh [--check] [ID-PATTERN]
#
# ID-PATTERN (an extended regular expression) runs only the faults whose id matches; --check only checks
# that each fault still applies, without building. The trees must be configured (`make native win64 prefix`;
# `make mutants` does that). Exits non-zero when a fault is missed, does not apply, does not build or names
# no test. Each fault's build and test output goes to build/mutants/ID.log.
set -u
root="$(cd "$(dirname "$(realpath "$0")")/.." && pwd)"
table="${MUTANTS_TABLE:-$root/tools/mutants.txt}"
work="$root/build/mutants"
jobs="${JOBS:-$(nproc)}"
export CCACHE_BASEDIR="$root"

check_only=0
[ "${1-}" = --check ] && { check_only=1; shift; }
pattern="${1-}"

fail() {
    echo "mutants: $*" >&2
    exit 2
}

# ---------------------------------------------------------------- the table

declare -A field # "N.key" -> value of record N
count=0
parse_table() {
    local line key value continued="" number=0 n=-1
    [ -r "$table" ] || fail "cannot read $table"
    while IFS= read -r line || [ -n "$line" ]; do
        number=$((number + 1))
        line="${line%$'\r'}"
        if [[ $line == '|'* ]]; then
            [ -n "$continued" ] || fail "$table:$number: a '|' line may only continue a find or a put"
            field[$n.$continued]+=$'\n'"${line#|}"
            continue
        fi
        continued=""
        [[ $line =~ ^[[:blank:]]*(#|$) ]] && continue
        [[ $line =~ ^([a-z]+):[[:blank:]]*(.*)$ ]] || fail "$table:$number: not 'key: value'"
        key="${BASH_REMATCH[1]}"
        value="${BASH_REMATCH[2]}"
        value="${value%"${value##*[![:blank:]]}"}" # trailing blanks
        case "$key" in
        id)
            n=$((n + 1))
            [[ $value =~ ^[A-Za-z0-9-]+$ ]] || fail "$table:$number: an id is letters, digits and '-'"
            for ((i = 0; i < n; ++i)); do
                [ "${field[$i.id]}" != "$value" ] || fail "$table:$number: the id $value is taken"
            done
            ;;
        what | file | tree | tests | find | put) [ $n -ge 0 ] || fail "$table:$number: $key before the first id" ;;
        *) fail "$table:$number: unknown key $key" ;;
        esac
        [ -z "${field[$n.$key]+set}" ] || fail "$table:$number: $key given twice"
        field[$n.$key]="$value"
        [[ $key == find || $key == put ]] && continued="$key"
    done <"$table"
    count=$((n + 1))
    for ((i = 0; i < count; ++i)); do
        for key in what file tree tests find put; do
            [ -n "${field[$i.$key]+set}" ] || fail "$table: fault ${field[$i.id]} has no $key"
        done
        for key in what file tests find; do
            [ -n "${field[$i.$key]}" ] || fail "$table: fault ${field[$i.id]} has an empty $key"
        done
        [[ ${field[$i.tree]} =~ ^(native|win32|win64)$ ]] || fail "$table: fault ${field[$i.id]}: no tree ${field[$i.tree]}"
    done
}

parse_table
selected=()
for ((i = 0; i < count; ++i)); do
    [[ -z $pattern || ${field[$i.id]} =~ $pattern ]] && selected+=("$i")
done
[ ${#selected[@]} -gt 0 ] || fail "no fault's id matches '$pattern'"

# Literal text throughout (\Q...\E, the replacement interpolated once): "count" prints how often the text
# occurs, "put" replaces it when it occurs exactly once and fails otherwise.
edit() {
    MUTANT_FIND="$2" MUTANT_PUT="$3" perl -e '
        my ($mode, $path) = @ARGV;
        my ($find, $put) = @ENV{qw(MUTANT_FIND MUTANT_PUT)};
        open(my $in, "<:raw", $path) or die "$path: $!\n";
        my $text = do { local $/; <$in> };
        close $in;
        my $n = () = $text =~ /\Q$find\E/g;
        if ($mode eq "count") { print $n; exit 0 }
        exit 3 if $n != 1;
        $text =~ s/\Q$find\E/$put/;
        open(my $out, ">:raw", $path) or die "$path: $!\n";
        print $out $text or die "$path: $!\n";
        close $out or die "$path: $!\n";' "$1" "$4"
}

# Why fault $1 does not apply, or nothing when it does.
not_applying() {
    local file="$root/${field[$1.file]}" found
    if [ ! -f "$file" ]; then
        # A file that moved is named where it went, for the table's update.
        found="$(git -C "$root" ls-files "*/${file##*/}" "${file##*/}" | paste -sd' ')"
        echo "does not apply: no such file${found:+ (now $found?)}"
        return
    fi
    found="$(edit count "${field[$1.find]}" "" "$file")" || { echo "does not apply: unreadable"; return; }
    [ "$found" = 1 ] || echo "does not apply: found $found times"
}

# ---------------------------------------------------------------- restoring

# A mutated file's original waits in $work/original, its path in $work/pending, until it is back: a run that
# was killed outright is put right by the next one.
mkdir -p "$work" || fail "cannot make $work"
restore() {
    [ -f "$work/pending" ] || return 0
    local path
    path="$(cat "$work/pending")"
    cp "$work/original" "$path" && touch "$path" && rm -f "$work/pending" "$work/original" ||
        echo "mutants: could not restore $path from $work/original: do it by hand" >&2
}
if [ -f "$work/pending" ]; then
    echo "Restoring $(cat "$work/pending"), left mutated by an interrupted run"
    restore
    [ ! -f "$work/pending" ] || exit 2
fi

if [ $check_only = 1 ]; then
    status=0
    for i in "${selected[@]}"; do
        why="$(not_applying "$i")"
        printf '%-22s %-40s %s\n' "${field[$i.id]}" "${field[$i.file]}" "${why:-applies}"
        [ -z "$why" ] || status=1
    done
    exit $status
fi

# ---------------------------------------------------------------- Wine, once for the whole run

needs_wine=0
for i in "${selected[@]}"; do
    [ "${field[$i.tree]}" = native ] || needs_wine=1
done
if [ $needs_wine = 1 ] && [ -z "${MUTANTS_IN_XVFB-}" ]; then
    export MUTANTS_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$(realpath "$0")" "$@"
fi

wine_started=0
finish() {
    restore
    if [ $wine_started = 1 ]; then
        wineserver -k
        wineserver -w
        # A faulty build may have left keys behind in the prefix (a fault in unregistering does just that).
        cp -p "$work"/registry/*.reg "$root/build/wine/"
    fi
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if [ $needs_wine = 1 ]; then
    . "$root/tools/wine-env.sh" "$root/build/wine"
    # The registry as it is on disk, with no server of this prefix still holding changes.
    wineserver -k 2>/dev/null
    wineserver -w
    mkdir -p "$work/registry" && cp -p "$root"/build/wine/*.reg "$work/registry/" ||
        fail "cannot keep a copy of the prefix's registry"
    # A persistent server with its services started here, outside any pipe, as tools/run-tests.sh does.
    wineserver -p
    wine_started=1
    wine cmd /c exit </dev/null >/dev/null 2>&1
fi

# ---------------------------------------------------------------- building and testing

tree_dir() { echo "$root/build/$1"; }

ctest_in() {
    local tree="$1"
    shift
    if [ "$tree" = native ]; then
        ctest --test-dir "$(tree_dir "$tree")" "$@"
    else
        ctest --test-dir "$(tree_dir "$tree")" --timeout 300 "$@"
    fi
}

# The names of the tests a regular expression selects in a tree, one a line.
test_names() { ctest_in "$1" -N -R "$2" | sed -n 's/^ *Test *#[0-9]*: //p'; }

# The build targets a tree's tests run (their programs, the library a script loads, ...), one a line;
# nothing when none is known, and then the whole tree is built.
targets_for() {
    local dir known token name
    dir="$(tree_dir "$1")"
    known=" $(cmake --build "$dir" --target help | sed -n 's/^\.\.\. \([^ ]*\).*/\1/p' | tr '\n' ' ')"
    ctest_in "$1" -N -V -R "$2" | sed -n 's/^[0-9]*: Test command: //p' | grep -o "$dir/[^\" ]*" |
        while read -r token; do
            name="${token##*/}"
            name="${name%.*}"
            [[ $known == *" $name "* ]] && echo "$name"
        done | sort -u
}

build() {
    local tree="$1" regex="$2" targets
    targets="$(targets_for "$tree" "$regex")"
    # shellcheck disable=SC2086 # one word a target
    cmake --build "$(tree_dir "$tree")" -j"$jobs" ${targets:+--target $targets}
}

# The tests that failed in a ctest output, comma-separated.
failed_in() {
    sed -n '/The following tests FAILED:/,$ s/^[[:space:]]*[0-9][0-9]* - \([^ ]*\) (.*/\1/p' "$1" | paste -sd, |
        sed 's/,/, /g'
}

trees=()
for i in "${selected[@]}"; do
    [[ " ${trees[*]} " == *" ${field[$i.tree]} "* ]] || trees+=("${field[$i.tree]}")
done

start=$SECONDS
# Without a fault every named test must pass, or a failure would prove nothing.
for tree in "${trees[@]}"; do
    regex=""
    for i in "${selected[@]}"; do
        [ "${field[$i.tree]}" = "$tree" ] && regex+="${regex:+|}(${field[$i.tests]})"
    done
    log="$work/baseline-$tree.log"
    echo "Without faults: building and running the $tree tests the faults name"
    build "$tree" "$regex" >"$log" 2>&1 || fail "the $tree tree does not build without faults (see $log)"
    ctest_in "$tree" -R "$regex" --output-on-failure >>"$log" 2>&1 ||
        fail "without any fault these $tree tests fail already: $(failed_in "$log") (see $log)"
done

declare -a result tests_run
errors=0 caught=0
number=0
for i in "${selected[@]}"; do
    number=$((number + 1))
    id="${field[$i.id]}"
    tree="${field[$i.tree]}"
    file="$root/${field[$i.file]}"
    log="$work/$id.log"
    began=$SECONDS
    tests_run[i]="$(test_names "$tree" "${field[$i.tests]}" | paste -sd, | sed 's/,/, /g')"
    outcome="$(not_applying "$i")"
    if [ -z "$outcome" ] && [ -z "${tests_run[i]}" ]; then
        outcome="names no test"
    fi
    if [ -z "$outcome" ]; then
        if ! { cp "$file" "$work/original" && echo "$file" >"$work/pending"; }; then fail "cannot keep a copy of $file"; fi
        # The build must see the change, and the restore afterwards, even within one second.
        if edit put "${field[$i.find]}" "${field[$i.put]}" "$file" && touch "$file"; then
            {
                echo "== $id: ${field[$i.what]}"
                diff -u "$work/original" "$file"
            } >"$log"
            if ! build "$tree" "${field[$i.tests]}" >>"$log" 2>&1; then
                outcome="does not build"
            elif ctest_in "$tree" -R "${field[$i.tests]}" --output-on-failure >>"$log" 2>&1; then
                outcome="MISSED"
            else
                failed="$(failed_in "$log")"
                outcome="${failed:+caught by $failed}"
                outcome="${outcome:-the tests did not run}"
            fi
        else
            outcome="does not apply: the edit failed"
        fi
        restore
        [ ! -f "$work/pending" ] || exit 2
    fi
    if [[ $outcome == caught* ]]; then caught=$((caught + 1)); else errors=$((errors + 1)); fi
    result[i]="$outcome"
    printf '[%d/%d] %s: %s (%d s)\n' "$number" "${#selected[@]}" "$id" "$outcome" $((SECONDS - began))
done

# The trees again as the sources are.
for tree in "${trees[@]}"; do
    echo "Rebuilding the $tree tree from the restored sources"
    cmake --build "$(tree_dir "$tree")" -j"$jobs" >"$work/rebuild-$tree.log" 2>&1 ||
        { echo "mutants: the $tree tree does not build again (see $work/rebuild-$tree.log)" >&2; errors=$((errors + 1)); }
done

echo
w_id=5 w_file=4 w_tests=9
for i in "${selected[@]}"; do
    ((${#field[$i.id]} > w_id)) && w_id=${#field[$i.id]}
    ((${#field[$i.file]} > w_file)) && w_file=${#field[$i.file]}
    ((${#tests_run[i]} > w_tests)) && w_tests=${#tests_run[i]}
done
printf "%-${w_id}s  %-${w_file}s  %-${w_tests}s  %s\n" fault file "tests run" result
for i in "${selected[@]}"; do
    printf "%-${w_id}s  %-${w_file}s  %-${w_tests}s  %s\n" "${field[$i.id]}" "${field[$i.file]}" "${tests_run[i]}" "${result[i]}"
done
echo
echo "$caught of ${#selected[@]} faults caught in $(((SECONDS - start) / 60)) min $(((SECONDS - start) % 60)) s; logs in $work"
[ $errors -eq 0 ]
