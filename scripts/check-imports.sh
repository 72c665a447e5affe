#!/bin/bash
# Fails when a binary imports a function listed in the deny-list (one name a
# line, '#' comments): the functions that the oldest supported Windows lacks.
#   check-imports.sh OBJDUMP DENY-LIST BINARY...
set -euo pipefail
objdump=$1 list=$2
shift 2
deny=$(grep -v '^#' "$list" | grep -v '^$' | sort -u)
status=0
for binary in "$@"; do
    # The import tables: "DLL Name: X" followed by "vma  hint  Name" rows.
    imports=$("$objdump" -p "$binary" | awk '/DLL Name:/ {dll=$3; next} dll && NF>=3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {print dll ":" $3} /^$/ {dll=""}')
    while IFS=: read -r dll name; do
        [ -n "$name" ] || continue
        if grep -qxF "$name" <<<"$deny"; then
            echo "$(basename "$binary") imports $name from $dll, which Windows XP lacks" >&2
            status=1
        fi
    done <<<"$imports"
done
exit $status
