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

# Compiles the Japanese locale into DIR (for LOCPATH) unless it is there:
# Wine names files on the Linux side, and reads its command line, in the
# locale's character set, so Japanese names need a UTF-8 Japanese locale
# even where the system has not generated one.
japanese_locale() {
  [ -d "$1/ja_JP.UTF-8" ] && return 0
  mkdir -p "$1"
  localedef -i ja_JP -f UTF-8 "$1/ja_JP.UTF-8" >/dev/null 2>&1 || [ -d "$1/ja_JP.UTF-8" ]
}

# The settings the benchmarks time, by short name: default, each of the
# three encodings that users turn on, and all three together.  One line per
# encoding: its name, the front ends' option and the program's registry
# value (a REG_SZ "1" under HKCU\Software\Halvek\Lexprobe, read at start).
BENCH_SETTINGS="default kanji wide utf8 all"
bench_encodings() {
  printf '%s\n' "kanji --search-kanji SearchKanji" \
    "wide --search-wide-japanese SearchWideJapanese" \
    "utf8 --search-utf8 SearchUtf8"
}

# Prints field FIELD (2: the option, 3: the registry value) of every
# encoding that setting NAME turns on, one a line.
bench_setting_fields() {
  bench_encodings | awk -v name="$1" -v field="$2" '
    name == "all" || name == $1 { print $field; found = 1 }
    END { exit !(found || name == "default") }'
}
