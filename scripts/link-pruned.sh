#!/usr/bin/env bash
# Links the 32-bit program without the functions that nothing calls, and
# with two small sections moved into a larger one.
# Usage (as the link launcher): link-pruned.sh COMPILER ARGS... -o PROGRAM ...
#
# The linker's default script keeps every unwind table, and on 32-bit Windows
# each object's table names every function of the object: --gc-sections then
# keeps all of them, called or not. So the program is linked once with the
# tables loose, which shows the functions that only their own table names; of
# our own objects these are left out of the real link. Their table entries
# remain, pointing at themselves inside the table (the addresses are relative),
# where no instruction runs, so the unwinder never takes them.
set -euo pipefail
export LC_ALL=C # the linker's messages are read below
args=("$@")
out=
for ((i = 0; i < ${#args[@]}; i++)); do
  if [ "${args[i]}" = -o ]; then
    out=${args[i + 1]}
  fi
done
[ -n "$out" ] || { echo "link-pruned: no -o in the link command" >&2; exit 1; }
work="$out.prune"
rm -rf "$work"
mkdir -p "$work"

# The same command with another output, another script and more options.
link_to() {
  local target=$1 script=$2
  shift 2
  local cmd=()
  for ((i = 0; i < ${#args[@]}; i++)); do
    if [ "${args[i]}" = -o ]; then
      cmd+=(-o "$target")
      i=$((i + 1))
    else
      cmd+=("${args[i]}")
    fi
  done
  "${cmd[@]}" "-Wl,-T,$script" "$@"
}

ld=$("$1" -print-prog-name=ld)
"$ld" --verbose | sed -n '/^=====/,/^=====/p' | sed '1d;$d' >"$work/default.ld"
sed 's/KEEP(\*(\.eh_frame\*))/*(.eh_frame*)/' "$work/default.ld" >"$work/loose.ld"
if cmp -s "$work/default.ld" "$work/loose.ld"; then
  echo "link-pruned: the linker's script keeps no unwind tables by name" >&2
  exit 1
fi

# Our objects have relative paths; the compiler's own libraries absolute ones.
link_to "$work/loose.exe" "$work/loose.ld" -Wl,--print-gc-sections 2>"$work/gc.txt"
sed -n "s/.*removing unused section '\(\.text[^'[]*\)\(\[[^']*\]\)\{0,1\}' in file '\([^/'][^']*\)'$/\3 \1/p" \
  "$work/gc.txt" | sed 's/^\([^ (]*\)(\([^)]*\)) /\1:\2 /' |
  awk '{ print "    " $1 "(" $2 ")" }' | sort -u >"$work/dead.txt"
# The start-up lists (.CRT, 56 bytes) and the thread-local template (.tls, 8
# bytes) go to the end of .data, in their order: in sections of their own each
# took 512 bytes of the file. The loader finds them by the directories that
# point at them, not by their sections' names.
awk -v dead="$work/dead.txt" '
  /^  \.(CRT|tls) BLOCK/ { moving = 1; getline; next }
  moving && /^  }/ { moving = 0; next }
  moving { moved = moved $0 "\n"; next }
  { lines[++n] = $0 }
  END {
    for (i = 1; i <= n; i++) {
      if (lines[i] ~ /^  \.data BLOCK/) data = 1
      if (data && lines[i] ~ /^  }/) {
        # With the thread-local initialisers, which the script does not name.
        printf "%s    KEEP (*(SORT(.CRT$XD*)))\n", moved
        data = 0
      }
      print lines[i]
      if (lines[i] ~ /^SECTIONS/) {
        print lines[++i]
        print "  /DISCARD/ : {"
        while ((getline line < dead) > 0) print line
        print "  }"
      }
    }
  }' "$work/default.ld" >"$work/pruned.ld"
grep -q '___tls_start__' "$work/pruned.ld" || { echo "link-pruned: no .tls to move" >&2; exit 1; }

# Every unwind entry must cover code that is there, or lie in the table itself.
check="$work/check.exe"
args_without_strip=()
for a in "${args[@]}"; do
  [ "$a" = -s ] || args_without_strip+=("$a")
done
saved=("${args[@]}")
args=("${args_without_strip[@]}")
link_to "$check" "$work/pruned.ld"
args=("${saved[@]}")
objdump=$("$1" -print-prog-name=objdump)
"$objdump" -h "$check" >"$work/sections.txt"
"$objdump" --dwarf=frames "$check" >"$work/frames.txt"
awk '
  function hex(text, i, n) {
    n = 0
    for (i = 1; i <= length(text); i++)
      n = n * 16 + index("0123456789abcdef", substr(text, i, 1)) - 1
    return n
  }
  FNR == NR {
    if ($2 == ".text") { ts = hex($4); te = ts + hex($3) }
    if ($2 == ".eh_frame") { es = hex($4); ee = es + hex($3) }
    next
  }
  / FDE / {
    split(substr($NF, 4), r, /\.\./)
    s = hex(r[1]); e = hex(r[2])
    if (!((s >= ts && e <= te) || (s >= es && s < ee))) {
      print "link-pruned: an unwind entry covers " $NF " outside the code" > "/dev/stderr"
      bad = 1
    }
    count++
  }
  END { if (count == 0 || te == 0 || ee == 0) bad = 1; exit bad }' "$work/sections.txt" "$work/frames.txt"

link_to "$out" "$work/pruned.ld"
