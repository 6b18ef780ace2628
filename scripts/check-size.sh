#!/usr/bin/env bash
# Prints the size of the program that ships and fails when it exceeds what a
# tool carried on a USB stick should weigh. Usage: check-size.sh program.exe
set -euo pipefail
exe=$1
limit=$((600 * 1024))
size=$(stat -c %s "$exe")
echo "check-size: $(basename "$exe") is $size bytes ($((size / 1024)) KiB, at most $((limit / 1024)) KiB)"
if [ "$size" -gt "$limit" ]; then
  echo "check-size: $exe is larger than $limit bytes" >&2
  exit 1
fi
