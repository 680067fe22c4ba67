#!/bin/sh
# Lists the includes in app/ that run back up a floor: a file in one
# folder including a header of a folder on its own floor (siblings know
# nothing of each other) or on a higher one.  The floors, lowest first:
#   base        what every part shares: the executable's path, the input
#               file, the integer range and its parser
#   ui          the wrappers over the Windows user interface
#   settings    the settings record, its registry form and dialog
#   words       the dictionary and the English-word marker
#   japanese    the Japanese-text judge and its tables (beside words)
#   scan        the scanner (it marks rows with the words)
#   results     the row store, the list, the results file
#   about       the version dialog and the Help menu's commands
#   mainwindow  the main window and the scan session
#   startup cli the two programs' entry points
# Prints one line per such include and exits 1 when there is one; a folder
# of app/ missing from the floors is reported the same way.
# Usage: scripts/include-floors.sh [ROOT]   (default: the tree holding it)
set -eu
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root/app"

floors='base
ui
settings
words japanese
scan
results about
mainwindow
startup cli'

folders=$(find . -mindepth 1 -maxdepth 1 -type d | sed 's|^\./||' | sort)

find . -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' \) | sed 's|^\./||' | sort |
  xargs grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]*/' /dev/null |
  LC_ALL=C awk -v floors="$floors" -v folders="$folders" '
    BEGIN {
      n = split(floors, line, "\n")
      for (i = 1; i <= n; i++) {
        m = split(line[i], names, " ")
        for (j = 1; j <= m; j++) floor[names[j]] = i
      }
      n = split(folders, dirs, "\n")
      for (i = 1; i <= n; i++) {
        isapp[dirs[i]] = 1
        if (!(dirs[i] in floor)) {
          print "app/" dirs[i] "/: a folder on no floor"
          bad++
        }
      }
    }
    {
      file = $0; sub(/:.*/, "", file)
      rest = substr($0, length(file) + 2)
      lineno = rest; sub(/:.*/, "", lineno)
      header = rest; sub(/^[^"]*"/, "", header); sub(/".*/, "", header)
      from = file; sub(/\/.*/, "", from)
      to = header; sub(/\/.*/, "", to)
      if (from == to || !(to in isapp) || !(from in floor) || !(to in floor)) next
      if (floor[to] >= floor[from]) {
        print "app/" file ":" lineno ": " header
        bad++
      }
    }
    END { exit bad ? 1 : 0 }'
