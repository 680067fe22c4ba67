# Shared by the shell tests: a scratch folder $tmp removed on exit, fail()
# to count a failed check with its message, finish() to end with the tally.
# The count is kept in a file, so that checks in subshells (the end of a
# pipe) count too.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
: >"$tmp/.failures"

fail() {
  echo "FAIL: $*" >&2
  echo x >>"$tmp/.failures"
}

# finish MESSAGE: exit 1 after any failure, else print MESSAGE.
finish() {
  failures=$(wc -l <"$tmp/.failures")
  if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)" >&2
    exit 1
  fi
  echo "$1"
}
