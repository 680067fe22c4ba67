# Shared by the shell tests: a scratch folder $tmp removed on exit, fail()
# to count a failed check with its message, finish() to end with the tally.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# finish MESSAGE: exit 1 after any failure, else print MESSAGE.
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)" >&2
    exit 1
  fi
  echo "$1"
}
