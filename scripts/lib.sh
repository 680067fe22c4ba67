# Shared by the scripts: where the sources are, and which Windows build this
# machine can run under Wine.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The deliverables are 32-bit.  Some kernels are booted without 32-bit
# support (ia32_emulation=off); there the 32-bit Wine loader cannot start,
# and the same sources are built for x86_64 and run under wine64 instead.
can_run_32bit() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Prints the preset whose Windows programs run here: win32 or win64.
wine_preset() {
  if can_run_32bit; then echo win32; else echo win64; fi
}

build_preset() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}
