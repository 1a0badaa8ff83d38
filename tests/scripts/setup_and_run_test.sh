# scripts/setup-and-run on a machine without a display, after installing and building (with
# SKIP_INSTALL=1 SKIP_BUILD=1, on the build tree given): it shows the simulator through vyrctl,
# ends with status 0 and tells how to start the window.
# Arguments: the source tree, the build tree.
source "$(dirname "$0")/common.sh"
source_dir=$1
build=$2
unset DISPLAY WAYLAND_DISPLAY
no_installing

# The build the script uses: the real programs, but vyrctl's output reaches the pipe in two
# parts a second apart, as on a busy machine. A reader that stops early (head) has then gone
# before the second part comes, which a script must survive.
fake="$scratch/build"
mkdir -p "$fake/sim" "$fake/app" "$fake/cli"
ln -s "$build/sim/vyrsim" "$fake/sim/vyrsim"
ln -s "$build/app/vyradmin" "$fake/app/vyradmin"
cat >"$fake/cli/vyrctl" <<EOT
#!/usr/bin/env bash
status=0
"$build/cli/vyrctl" "\$@" >"$scratch/vyrctl.out" || status=\$?
sed -n 1,10p "$scratch/vyrctl.out"
if [ "\$(wc -l <"$scratch/vyrctl.out")" -gt 10 ]; then
  sleep 1
  sed -n '11,\$p' "$scratch/vyrctl.out" || exit  # as vyrctl, when the reader has gone
fi
exit \$status
EOT
chmod +x "$fake/cli/vyrctl"

status=0
SKIP_INSTALL=1 SKIP_BUILD=1 BUILD_DIR="$fake" \
  "$source_dir/scripts/setup-and-run" >"$scratch/out" 2>"$scratch/err" </dev/null || status=$?
check_nothing_installed
[ "$status" -eq 0 ] || fail "status $status; stderr: $(cat "$scratch/err")"
grep -q '^device simulator on /dev/pts/' "$scratch/out" || fail "no simulator port: $(cat "$scratch/out")"
grep -q '^no display' "$scratch/out" || fail "does not say there is no display"
grep -q 'the backup holds 860 values' "$scratch/out" || fail "no complete backup: $(cat "$scratch/out")"
grep -qF 'To open the window' "$scratch/out" || fail "does not tell how to open the window"
grep -qF "$fake/app/vyradmin --port" "$scratch/out" || fail "does not name the window program"
grep -qF "$fake/sim/vyrsim" "$scratch/out" || fail "does not name the simulator"
echo "setup-and-run without a display: all checks passed"
