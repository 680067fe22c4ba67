#!/bin/sh
# Runs a Windows test program with the size of every file it writes limited
# to KIB kibibytes, as on a volume that fills: a write past the limit fails
# (the signal the kernel would send for it is ignored).  The program learns
# the limit from LOOM_FILE_LIMIT_KIB.
#   with-file-limit.sh KIB WINE-RUN PROGRAM [ARGS...]
set -eu
limit=$1
shift
trap '' XFSZ
ulimit -f "$limit"
LOOM_FILE_LIMIT_KIB=$limit exec "$@"
