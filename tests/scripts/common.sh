# Shared by the script tests: a scratch folder removed at the end, failing with a message,
# and stand-ins for the package tools so that no test installs anything.
set -euo pipefail

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vyr-script-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# apt-get and sudo that refuse and leave a mark: a script under test must not install.
no_installing() {
  mkdir -p "$scratch/stubs"
  for tool in apt-get apt sudo; do
    printf '#!/bin/sh\necho "%s must not run in a test" >&2\ntouch "%s"\nexit 1\n' \
      "$tool" "$scratch/installed" >"$scratch/stubs/$tool"
    chmod +x "$scratch/stubs/$tool"
  done
  PATH="$scratch/stubs:$PATH"
}

check_nothing_installed() {
  [ ! -e "$scratch/installed" ] || fail "a package tool was run"
}
