#!/bin/sh
# Runs a Windows test program with the drive R: of the Wine prefix mapped to
# a fresh, empty folder, so that tests can try what a path helper does with
# a drive root without putting a real drive at risk.
#   with-test-drive.sh PREFIX FOLDER WINE-RUN PROGRAM [ARGS...]
set -eu
prefix=$1 folder=$2 winerun=$3
shift 3
link="$prefix/dosdevices/r:"
rm -rf "$folder"
mkdir -p "$folder"
rm -f "$link"
ln -s "$folder" "$link"
trap 'rm -f "$link"' EXIT
LOOM_TEST_DRIVE=R: "$winerun" "$@"
