#!/bin/sh
# Static checks of how the scanner is built, read with objdump:
#   scan_build.sh OBJDUMP LEXPROBE.EXE OBJECT...
# - a 32-bit Lexprobe.exe is marked large-address-aware;
# - the SSE2 walk (walker_sse2) is compiled with SSE2 instructions, and only
#   in its own code: no function that other files may share (a COMDAT
#   section) holds one, or a processor without SSE2 could run it through
#   the plain walk;
# - the plain walk (walker_plain) holds no SSE2 instruction at all;
# - the AVX2 walk (walker_avx2) holds AVX2 instructions, only in its own
#   code (no VEX-encoded instruction in a shared section), in either
#   build, and no aligned vector move (GCC cannot align the stack to 32
#   bytes on Windows: its aligned stores of 256-bit vectors to the stack
#   would fault); no other walk holds a VEX-encoded instruction.
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

sse2= plain= avx2=
for obj in "$@"; do
  case "$obj" in
    *walker_sse2*) sse2=$obj ;;
    *walker_plain*) plain=$obj ;;
    *walker_avx2*) avx2=$obj ;;
  esac
done
[ -n "$sse2" ] && [ -n "$plain" ] && [ -n "$avx2" ] || fail "walker objects not among the arguments"

# Instructions per section of the object: those on xmm registers, those
# on ymm registers, and the VEX-encoded ones (all their mnemonics begin
# with v; of the others only verr and verw do, which no compiler writes).
sections() {
  $objdump -d "$1" | awk -F '\t' -v what="$2" '/^Disassembly of section/ { split($0, w, " "); sec = w[4] }
    NF >= 3 && ((what == "vex" && $3 ~ /^v/) || (what != "vex" && $3 ~ what)) { n[sec]++ }
    END { for (s in n) print s, n[s] }'
}
xmm_sections() { sections "$1" '%xmm'; }

sections "$avx2" '%ymm' | grep -q '^\.text:* ' || fail "$avx2 holds no AVX2 instruction"
# (Shared functions have COMDAT sections, .text$NAME; .text.unlikely holds
# the walk's own cold paths.)
shared=$(sections "$avx2" vex | grep '^\.text\$' || true)
[ -z "$shared" ] || fail "VEX-encoded instructions in shared sections of $avx2: $shared"
aligned=$($objdump -d "$avx2" | grep -E '\s(v?movdqa|v?movap[sd]|v?movntdq)(32|64)?\s' | head -3 || true)
[ -z "$aligned" ] || fail "aligned vector moves in $avx2: $aligned"
for obj in "$sse2" "$plain"; do
  [ -z "$(sections "$obj" vex)" ] || fail "VEX-encoded instructions in $obj"
done
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
