#!/bin/sh
# Unpacks the installation archive with unzip into a fresh, empty folder
# whose name has a blank and Japanese, and runs the installation test
# program on it under Wine.
#   install_test.sh ARCHIVE WORK-FOLDER WINE-RUN TEST-PROGRAM
set -eu
archive=$1 work=$2 winerun=$3 program=$4
dir="$work/インストール 表"
rm -rf "$work"
mkdir -p "$dir"
unzip -q "$archive" -d "$dir"
# The folder as Wine names it: drive Z: is the Linux root.
LEX_INSTALL_DIR="Z:$(printf '%s' "$dir" | tr / '\\')" "$winerun" "$program"
