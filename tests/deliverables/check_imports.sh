#!/usr/bin/env bash
# Fails when a deliverable imports a DLL outside the allowed list (so that it
# runs on a bare Windows: no mingw runtime DLLs).
# Usage: check_imports.sh OBJDUMP FILE ALLOWED_DLL...
set -euo pipefail
objdump=$1 file=$2
shift 2
allowed=$(printf '%s\n' "$@" | tr '[:upper:]' '[:lower:]')
failed=0
imports=$("$objdump" -p "$file" | sed -n 's/^\tDLL Name: //p' | tr '[:upper:]' '[:lower:]')
[[ -n "$imports" ]] || { echo "no import table read from $file"; exit 1; }
while read -r dll; do
    grep -qxF "$dll" <<<"$allowed" || { echo "$(basename "$file") imports $dll"; failed=1; }
done <<<"$imports"
echo "$(basename "$file") imports:" $imports
exit $failed
