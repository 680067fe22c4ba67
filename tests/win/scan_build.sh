#!/bin/sh
# Static checks of how the scanner is built, read with objdump:
#   scan_build.sh OBJDUMP LEXPROBE.EXE OBJECT...
# - a 32-bit Lexprobe.exe is marked large-address-aware;
# - the SSE2 walk (walker_sse2) is compiled with SSE2 instructions, and only
#   in its own code: no function that other files may share (a COMDAT
#   section) holds one, or a processor without SSE2 could run it through
#   the plain walk;
# - the plain walk (walker_plain) holds no SSE2 instruction at all.
# objdump's headings are read in English, whatever the shell's language.
export LC_ALL=C
set -u
objdump=$1 exe=$2
shift 2
. "$(dirname "$0")/../native/shtest.sh"

format=$($objdump -p "$exe" | sed -n 's/.*file format //p' | head -1)
if [ "$format" = pei-i386 ]; then
  $objdump -p "$exe" | grep -q 'large address aware' ||
    fail "$exe is not marked large-address-aware"
fi

sse2= plain=
for obj in "$@"; do
  case "$obj" in
    *walker_sse2*) sse2=$obj ;;
    *walker_plain*) plain=$obj ;;
  esac
done
[ -n "$sse2" ] && [ -n "$plain" ] || fail "walker objects not among the arguments"

# Instructions on xmm registers per section of the object.
xmm_sections() {
  $objdump -d "$1" | awk '/^Disassembly of section/ { sec = $4 } /%xmm/ { n[sec]++ }
    END { for (s in n) print s, n[s] }'
}
if [ -n "$sse2" ]; then
  xmm_sections "$sse2" >"$tmp/sse2"
  grep -q '^\.text:* ' "$tmp/sse2" || fail "$sse2 holds no SSE2 instruction: $(cat "$tmp/sse2")"
  # (x86-64 code uses SSE2 everywhere: only the 32-bit build must keep it in.)
  if [ "$format" = pei-i386 ]; then
    shared=$(grep -v '^\.text:* ' "$tmp/sse2" || true)
    [ -z "$shared" ] || fail "SSE2 instructions in shared sections of $sse2: $shared"
  fi
fi
if [ -n "$plain" ]; then
  xmm_sections "$plain" >"$tmp/plain"
  case "$format" in
    pei-i386) [ ! -s "$tmp/plain" ] || fail "SSE2 instructions in $plain: $(cat "$tmp/plain")" ;;
  esac
fi
finish "scanner build checks passed ($format)"
