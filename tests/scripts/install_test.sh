# `cmake --install` puts the programs in bin/, the help file where vyradmin finds it, the
# desktop entry naming the installed vyradmin, and the icon the entry names. Installed into a
# prefix with a space in it, which the desktop entry must quote.
# Arguments: cmake, the build tree, the source tree.
source "$(dirname "$0")/common.sh"
cmake=$1
build=$2
source_dir=$3
unset DISPLAY WAYLAND_DISPLAY

prefix="$scratch/install root/usr"
"$cmake" --install "$build" --prefix "$prefix" >"$scratch/install.log" ||
  fail "cmake --install: $(cat "$scratch/install.log")"

for program in vyradmin vyrctl vyrsim; do
  [ -f "$prefix/bin/$program" ] && [ -x "$prefix/bin/$program" ] ||
    fail "bin/$program not installed as a program"
done
[ "$(ls "$prefix/bin" | sort | tr '\n' ' ')" = "vyradmin vyrctl vyrsim " ] ||
  fail "bin/ holds more than the programs: $(ls "$prefix/bin")"

help="$prefix/share/vyradmin/Doc/Vyr_help.html"
cmp -s "$help" "$source_dir/resources/Doc/Vyr_help.html" || fail "help file not installed as $help"

# The installed vyradmin finds the installed help file (it is not beside the program).
"$prefix/bin/vyradmin" --help >"$scratch/help.out" || fail "installed vyradmin --help failed"
grep -qxF "The manual: $help" "$scratch/help.out" ||
  fail "installed vyradmin looks for its manual elsewhere: $(grep manual "$scratch/help.out")"

# A Doc folder beside the program (as in the build tree) comes first; with no manual at all,
# that is the place named.
mkdir "$prefix/bin/Doc"
cp "$help" "$prefix/bin/Doc/Vyr_help.html"
"$prefix/bin/vyradmin" --help >"$scratch/help.out"
grep -qxF "The manual: $prefix/bin/Doc/Vyr_help.html" "$scratch/help.out" ||
  fail "the manual beside the program is not taken first"
rm "$prefix/bin/Doc/Vyr_help.html" "$help"
"$prefix/bin/vyradmin" --help >"$scratch/help.out"
grep -qxF "The manual: $prefix/bin/Doc/Vyr_help.html" "$scratch/help.out" ||
  fail "with no manual, another place is named"
rmdir "$prefix/bin/Doc"

"$prefix/bin/vyrctl" --help >/dev/null || fail "installed vyrctl --help failed"
"$prefix/bin/vyrsim" --help >/dev/null || fail "installed vyrsim --help failed"

entry="$prefix/share/applications/vyradmin.desktop"
[ -f "$entry" ] || fail "no desktop entry at $entry"
grep -qx '\[Desktop Entry\]' "$entry" || fail "desktop entry without its group"
[ "$(grep -c '^Exec=' "$entry")" -eq 1 ] || fail "desktop entry without exactly one Exec="
exec_line=$(grep '^Exec=' "$entry")
[ "$exec_line" = "Exec=\"$prefix/bin/vyradmin\"" ] ||
  fail "desktop entry does not start the installed program (quoted): $exec_line"
# Every other line as in the source entry.
diff <(grep -v '^Exec=' "$entry") <(grep -v '^Exec=' "$source_dir/resources/vyradmin.desktop") ||
  fail "desktop entry changed beyond Exec="

icon_name=$(sed -n 's/^Icon=//p' "$entry")
[ -n "$icon_name" ] || fail "desktop entry names no icon"
icons=("$prefix"/share/icons/hicolor/*/apps/"$icon_name".png)
[ "${#icons[@]}" -eq 1 ] && [ -f "${icons[0]}" ] || fail "no icon $icon_name.png under share/icons/hicolor"
# The size folder tells the picture's size: the PNG header holds width and height.
size_dir=$(basename "$(dirname "$(dirname "${icons[0]}")")")
header=$(od -An -tx1 -N24 "${icons[0]}" | tr -d ' \n')
[ "${header:0:16}" = 89504e470d0a1a0a ] || fail "${icons[0]} is not a PNG"
width=$((16#${header:32:8}))
height=$((16#${header:40:8}))
[ "$size_dir" = "${width}x${height}" ] || fail "icon of ${width}x${height} in folder $size_dir"

# Where the desktop entry's path needs escapes: \ " ` $ inside the quotes, % doubled.
odd_prefix="$scratch/odd/a\$b%c"
"$cmake" --install "$build" --prefix "$odd_prefix" >"$scratch/install.log" ||
  fail "cmake --install: $(cat "$scratch/install.log")"
odd_exec=$(grep '^Exec=' "$odd_prefix/share/applications/vyradmin.desktop")
expected_exec="Exec=\"$scratch/odd/a\\\\\$b%%c/bin/vyradmin\""
[ "$odd_exec" = "$expected_exec" ] || fail "escaped Exec= is $odd_exec, not $expected_exec"
echo "install: all checks passed"
