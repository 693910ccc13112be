#!/usr/bin/env bash
# The include graph of a folder's units, and whether it has a circle.
#
#   bash tools/includes.sh FOLDER...
#
# A unit is X.h with X.cpp (either may be missing). Unit A depends on unit B when A.h or A.cpp
# includes B.h of the same folder ("B.h", or "dir/B.h" where dir is the folder's own name).
# For each folder this prints every edge, then every knot (units that reach each other) with
# the shortest circle through each of its units. Exits 1 when any folder has a circle.
set -u

# Headers a file includes in quotes, as written.
quoted_includes() {
    sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$1"
}

# Prints the shortest circle that starts and ends at $1, through succ (the graph in force).
shortest_circle() {
    local start=$1 node next
    local -A parent=()
    local queue=("$start") head=0
    while [ $head -lt ${#queue[@]} ]; do
        node=${queue[$head]}
        head=$((head + 1))
        for next in ${succ[$node]}; do
            if [ "$next" = "$start" ]; then
                local path=("$start") at=$node
                while [ "$at" != "$start" ]; do
                    path=("$at" "${path[@]}")
                    at=${parent[$at]}
                done
                path=("$start" "${path[@]}")
                local IFS=' '
                echo "${path[*]}" | sed 's/ / -> /g'
                return
            fi
            [ -n "${parent[$next]+x}" ] && continue
            parent[$next]=$node
            queue+=("$next")
        done
    done
}

# Tarjan's strongly connected components over succ; fills knots (one line of units each, for
# components of two or more units).
strongconnect() {
    local v=$1 w
    index[$v]=$counter
    low[$v]=$counter
    counter=$((counter + 1))
    stack+=("$v")
    onstack[$v]=1
    for w in ${succ[$v]}; do
        if [ -z "${index[$w]+x}" ]; then
            strongconnect "$w"
            [ "${low[$w]}" -lt "${low[$v]}" ] && low[$v]=${low[$w]}
        elif [ -n "${onstack[$w]:-}" ]; then
            [ "${index[$w]}" -lt "${low[$v]}" ] && low[$v]=${index[$w]}
        fi
    done
    if [ "${low[$v]}" = "${index[$v]}" ]; then
        local members=()
        while :; do
            w=${stack[-1]}
            unset 'stack[-1]'
            unset 'onstack[$w]'
            members+=("$w")
            [ "$w" = "$v" ] && break
        done
        if [ ${#members[@]} -gt 1 ]; then
            knots+=("$(printf '%s\n' "${members[@]}" | sort | tr '\n' ' ')")
        fi
    fi
}

# Prints the graph of one folder; returns 1 when it has a circle.
check_folder() {
    local folder=${1%/} file unit name base dir
    local own
    own=$(basename "$folder")
    local -A units=() headers=()
    for file in "$folder"/*.h "$folder"/*.cpp; do
        [ -f "$file" ] || continue
        base=$(basename "$file")
        unit=${base%.*}
        units[$unit]=1
        [ "${base##*.}" = h ] && headers[$unit]=1
    done
    succ=()
    local edges=()
    for unit in $(printf '%s\n' "${!units[@]}" | sort); do
        local targets=""
        for file in "$folder/$unit.h" "$folder/$unit.cpp"; do
            [ -f "$file" ] || continue
            while IFS= read -r name; do
                base=${name##*/}
                dir=${name%/*}
                [ "$dir" = "$name" ] && dir=""
                [ -n "$dir" ] && [ "${dir##*/}" != "$own" ] && continue
                [ "${base%.h}" = "$base" ] && continue
                base=${base%.h}
                [ -n "${headers[$base]+x}" ] || continue
                [ "$base" = "$unit" ] && continue
                case " $targets " in *" $base "*) continue ;; esac
                targets="$targets $base"
            done < <(quoted_includes "$file")
        done
        succ[$unit]=$(printf '%s\n' $targets | sort | tr '\n' ' ')
        for base in ${succ[$unit]}; do
            edges+=("$unit -> $base")
        done
    done

    echo "== $folder: ${#units[@]} units, ${#edges[@]} edges"
    [ ${#edges[@]} -gt 0 ] && printf '%s\n' "${edges[@]}"

    index=()
    low=()
    onstack=()
    stack=()
    knots=()
    counter=0
    for unit in $(printf '%s\n' "${!units[@]}" | sort); do
        [ -n "${index[$unit]+x}" ] || strongconnect "$unit"
    done
    [ ${#knots[@]} -eq 0 ] && { echo "no circle"; return 0; }
    local knot circle
    for knot in "${knots[@]}"; do
        echo "knot of $(echo $knot | wc -w) units: $knot"
        local -A shown=()
        for unit in $knot; do
            circle=$(shortest_circle "$unit")
            # The same circle read from another of its units is the same circle.
            local key
            key=$(echo "$circle" | sed 's/ -> /\n/g' | sed '$d' | sort | tr '\n' ' ')
            [ -n "${shown[$key]+x}" ] && continue
            shown[$key]=1
            echo "circle: $circle"
        done
    done
    return 1
}

[ $# -gt 0 ] || { echo "usage: $0 FOLDER..." >&2; exit 2; }
declare -A succ index low onstack
declare -a stack knots
rc=0
for folder in "$@"; do
    [ -d "$folder" ] || { echo "includes: no folder $folder" >&2; exit 2; }
    check_folder "$folder" || rc=1
done
exit $rc
