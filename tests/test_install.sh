#!/bin/sh
# Installs by another user than the one who configured: per user, the same without the database tools,
# under XDG_DATA_HOME, staged, into an awkward prefix, and with a folder left out; all into a temporary
# folder. Arguments: the source folder and the built program.
set -eu
src=$1 work=$(mktemp -d) && home=$work/home && data=$home/.local/share
trap 'rm -rf "$work"' EXIT
fail() { printf "FAIL: %s\n" "$*" >&2; exit 1; }
has() { command -v "$1" >/dev/null 2>&1; }
configure() { env -u XDG_DATA_HOME HOME="$work/configurer" cmake -S "$src" -B "$work/build" "$@" >/dev/null; }

# The MIME folder chosen, the desktop entry's left to the install.
configure -G Ninja -DCMAKE_BUILD_TYPE=Release -DNUMBALO_MIME_DIR="$work/mime"
cp "$2" "$work/build/numbalo" # the rules are under test, not the compiler
install_into() { # root prefix apps [environment...]: installs as $home, then checks the files; warnings go to $work/err
  root=$1 prefix=$2 entry=$1$3/numbalo.desktop; shift 3
  env -u XDG_DATA_HOME HOME="$home" "$@" "$(command -v cmake)" --install "$work/build" --prefix "$prefix" \
    >/dev/null 2>"$work/err" || fail "install into $prefix: $(cat "$work/err")"
  for f in "$prefix/numbalo" "$prefix/numbalo.hlp" "$prefix/numbalo.svg"; do [ -f "$root$f" ] || fail "no $root$f"; done
  # Read back as a launcher does: the string's escapes (\\ alone is used), then the quoting, where %% is %.
  [ "$(sed -n '/^Exec=/{ s///; s/\\\\/\n/g; /\\/d; s/\n/\\/g; p; }' "$entry" |
      sed -n 's/^"\(\([^"`$\\%]\|\\["`$\\]\|%%\)*\)" %f$/\1/; T; s/\\\(.\)/\1/g; s/%%/%/g; p')" = "$prefix/numbalo" ] ||
    fail "Exec line: $(grep Exec "$entry")"
  grep -qx "MimeType=application/x-numbalo-sheets;" "$entry" || fail "no MimeType line"
  cmp -s "$src/resources/numbalo-mime.xml" "$root$work/mime/packages/numbalo.xml" || fail "MIME description differs"
  ! has desktop-file-validate || desktop-file-validate "$entry" || fail "desktop-file-validate"
}
refreshed() { [ -f "$1$work/mime/globs2" ] || [ -f "$1$data/applications/mimeinfo.cache" ]; }

# Per user: the files, then both databases know the type where their tools are installed.
install_into "" "$work/app" "$data/applications"
! has update-mime-database || grep -q "application/x-numbalo-sheets:\*\.bng" "$work/mime/globs2" ||
  fail "MIME database not refreshed"
! has update-desktop-database || grep -q "application/x-numbalo-sheets=numbalo.desktop;" \
  "$data/applications/mimeinfo.cache" || fail "desktop database not refreshed"

# Without the tools the install still succeeds, quietly, and refreshes nothing; a relative XDG_DATA_HOME
# is ignored.
rm -rf "$home" "$work/mime"
(cd "$work" && install_into "" "$work/app" "$data/applications" PATH="$work/nowhere" XDG_DATA_HOME=xdg)
[ ! -s "$work/err" ] && ! refreshed "" || fail "not quiet, or refreshed, without the tools: $(cat "$work/err")"
install_into "" "$work/app" "$work/xdg/applications" XDG_DATA_HOME="$work/xdg"

# Staged: every file under the stage, the entry naming the final place, nothing refreshed, neither under
# the stage nor in the user's folders it names.
find "$home" "$work/mime" | sort >"$work/before"
install_into "$work/stage" "$work/final" "$data/applications" DESTDIR="$work/stage"
find "$home" "$work/mime" | sort | cmp -s - "$work/before" && [ ! -e "$work/final" ] ||
  fail "staged, but wrote outside the stage"
! refreshed "$work/stage" || fail "a staged install refreshed a database"

# Characters a desktop entry quotes or escapes, in the prefix.
install_into "" "$work/a b%1\$HOME\"\`" "$data/applications"

# No desktop entry; the MIME folder, left unset now, follows the installing user too.
configure -DNUMBALO_DESKTOP_DIR= -UNUMBALO_MIME_DIR && rm -rf "$home"
env -u XDG_DATA_HOME HOME="$home" cmake --install "$work/build" --prefix "$work/app" >/dev/null
[ ! -e "$data/applications" ] && cmp -s "$src/resources/numbalo-mime.xml" "$data/mime/packages/numbalo.xml" ||
  fail "an entry though none was wanted, or the MIME description not in the installing user's folder"
echo "install checks passed"
