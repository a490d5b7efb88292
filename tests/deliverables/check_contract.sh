#!/usr/bin/env bash
# Compares the natives that the Java contract classes declare (as `javac -h`
# writes them) with the exports of the 32-bit JNI library, decorations included.
# Usage: check_contract.sh JDK_HOME JAVA_SOURCE_DIR DLL OBJDUMP PENDING_LIST
set -euo pipefail
jdk=$1 sources=$2 dll=$3 objdump=$4 pending_list=$5

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$jdk/bin/javac" --release 8 -Xlint:-options -h "$work/h" -d "$work/c" $(find "$sources" -name '*.java')

# Each declaration: name, then the argument list; 8 bytes for jlong/jdouble, 4 for the rest.
cat "$work"/h/*.h | tr '\n' ' ' | grep -oE 'JNICALL (Java_[A-Za-z0-9_]+) +\([^)]*\)' |
    sed -E 's/JNICALL (Java_[A-Za-z0-9_]+) +\(([^)]*)\)/\1|\2/' |
    while IFS='|' read -r name args; do
        bytes=0
        IFS=',' read -ra types <<<"$args"
        for type in "${types[@]}"; do
            type=$(echo "$type" | tr -d ' ')
            case "$type" in jlong | jdouble) bytes=$((bytes + 8)) ;; *) bytes=$((bytes + 4)) ;; esac
        done
        echo "_${name}@${bytes}"
    done | sort -u >"$work/declared"

"$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -nE 's/^[[:space:]]*\[ *[0-9]+\] +([^ ]+)$/\1/p' | sort -u >"$work/exported"
grep -vE '^(#|$)' "$pending_list" | sort -u >"$work/pending" || true

failed=0
while read -r export; do
    grep -qxF "$export" "$work/declared" || { echo "exported but declared by no Java class: $export"; failed=1; }
done <"$work/exported"
while read -r native; do
    if grep -qxF "$native" "$work/pending"; then
        grep -qxF "$native" "$work/exported" && { echo "exported but still listed as pending: $native"; failed=1; }
    else
        grep -qxF "$native" "$work/exported" || { echo "declared but not exported: $native"; failed=1; }
    fi
done <"$work/declared"
while read -r native; do
    grep -qxF "$native" "$work/declared" || { echo "pending but declared by no Java class: $native"; failed=1; }
done <"$work/pending"

echo "declared: $(wc -l <"$work/declared"), exported: $(wc -l <"$work/exported"), pending: $(wc -l <"$work/pending")"
exit $failed
