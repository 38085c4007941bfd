#!/usr/bin/env bash
# Fails when a file is larger than LIMIT bytes. Usage: check-size.sh LIMIT FILE...
set -u
limit="$1"
shift
status=0
for file in "$@"; do
    size=$(stat -c %s "$file") || { status=1; continue; }
    if [ "$size" -gt "$limit" ]; then
        echo "$file: $size bytes, more than $limit"
        status=1
    else
        echo "$file: $size bytes (at most $limit)"
    fi
done
exit $status
