# vyradmin reads its command line before it starts the toolkit: --help and usage errors work
# without a display. Argument: the built vyradmin.
source "$(dirname "$0")/common.sh"
vyradmin=$1
unset DISPLAY WAYLAND_DISPLAY

# run ARGS...: status in $status, output in $scratch/out and $scratch/err.
run() {
  status=0
  "$vyradmin" "$@" >"$scratch/out" 2>"$scratch/err" || status=$?
}

for option in --help -h; do
  run --port /dev/ttyACM0 "$option"
  [ "$status" -eq 0 ] || fail "vyradmin $option: status $status: $(cat "$scratch/err")"
  grep -q '^usage: vyradmin \[--port PATH\]' "$scratch/out" || fail "vyradmin $option: no usage"
  grep -q -- '--port PATH' "$scratch/out" || fail "vyradmin $option: --port not explained"
  [ ! -s "$scratch/err" ] || fail "vyradmin $option wrote on stderr: $(cat "$scratch/err")"
done

# In the build tree the manual is the copy in Doc beside the program.
run --help
manual="$(cd "$(dirname "$vyradmin")" && pwd -P)/Doc/Vyr_help.html"
grep -qxF "The manual: $manual" "$scratch/out" || fail "manual not named as $manual: $(cat "$scratch/out")"

# usage_error EXPECTED ARGS...: status 1, nothing on stdout, one line on stderr holding EXPECTED.
usage_error() {
  local expected=$1
  shift
  run "$@"
  [ "$status" -eq 1 ] || fail "vyradmin $*: status $status, not 1"
  [ ! -s "$scratch/out" ] || fail "vyradmin $*: wrote on stdout"
  [ "$(wc -l <"$scratch/err")" -eq 1 ] || fail "vyradmin $*: not one line: $(cat "$scratch/err")"
  grep -qF -- "$expected" "$scratch/err" || fail "vyradmin $*: '$expected' not named: $(cat "$scratch/err")"
}
usage_error "unknown option '--bogus'" --bogus
usage_error "unknown option '-x'" --port /dev/null -x
usage_error "--port needs a path" --port
usage_error "--port needs a path" --port=
usage_error "unexpected argument 'extra'" first.Vyr extra
echo "vyradmin's command line: all checks passed"
