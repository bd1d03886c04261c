# Sourced by the script tests: one check, counted in $failures.
failures=0
expect() {  # what, text, wanted part
  if [[ "$2" == *"$3"* ]]; then
    echo "ok: $1"
  else
    echo "FAIL: $1: '$3' not in:"
    echo "$2"
    failures=$((failures + 1))
  fi
}
