# scripts/setup-and-run and scripts/test configure the build alike: run one after the other on
# the same build folder, the second compiles nothing. Configures a build folder of its own and
# builds one small library in it (BUILD_TARGETS); vyrctl, to which setup-and-run hands its
# arguments, is a stand-in there.
# Argument: the source tree.
source "$(dirname "$0")/common.sh"
source_dir=$1
no_installing
unset BUILD_TYPE
export BUILD_DIR="$scratch/build" BUILD_TARGETS=vyr_frame SKIP_INSTALL=1

mkdir -p "$BUILD_DIR/cli"
printf '#!/bin/sh\necho "vyrctl $*"\n' >"$BUILD_DIR/cli/vyrctl"
chmod +x "$BUILD_DIR/cli/vyrctl"

# step NAME COMMAND...: runs a script, keeping what it printed in $scratch/NAME.
step() {
  local name=$1
  shift
  "$@" >"$scratch/$name" 2>&1 </dev/null || fail "$*: $(cat "$scratch/$name")"
}
compiled() {
  grep -E 'Building CXX|Linking CXX' "$scratch/$1" || true
}

step first "$source_dir/scripts/setup-and-run" --help
grep -qx 'vyrctl --help' "$scratch/first" || fail "setup-and-run did not hand on its arguments"
[ -n "$(compiled first)" ] || fail "the first build compiled nothing: $(cat "$scratch/first")"

step second "$source_dir/scripts/test" -N
[ -z "$(compiled second)" ] || fail "scripts/test after setup-and-run rebuilt: $(compiled second)"

step third "$source_dir/scripts/setup-and-run" --help
[ -z "$(compiled third)" ] || fail "setup-and-run after scripts/test rebuilt: $(compiled third)"
check_nothing_installed
echo "one configuration: all checks passed"
