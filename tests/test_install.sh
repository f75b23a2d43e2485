#!/bin/sh
# The per-user install, the same without the database tools, and a staged install, all into a temporary
# folder. Arguments: the source folder and the built program.
set -eu
src=$1 work=$(mktemp -d) && home=$work/home
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
has() { command -v "$1" >/dev/null 2>&1; }

cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DNUMBALO_DESKTOP_DIR="$home/applications" -DNUMBALO_MIME_DIR="$home/mime" >/dev/null
cp "$2" "$work/build/numbalo" # the rules are under test, not the compiler
install_into() { # root prefix [environment...]: installs, then checks the files; warnings go to $work/err
  root=$1 prefix=$2 entry=$1$home/applications/numbalo.desktop; shift 2
  env "$@" "$(command -v cmake)" --install "$work/build" --prefix "$prefix" >/dev/null 2>"$work/err" ||
    fail "install into $prefix: $(cat "$work/err")"
  for f in "$prefix/numbalo" "$prefix/numbalo.hlp" "$prefix/numbalo.svg"; do [ -f "$root$f" ] || fail "no $root$f"; done
  grep -qx "Exec=\"$prefix/numbalo\" %f" "$entry" || fail "Exec line: $(grep Exec "$entry")"
  grep -qx "MimeType=application/x-numbalo-sheets;" "$entry" || fail "no MimeType line"
  cmp -s "$src/resources/numbalo-mime.xml" "$root$home/mime/packages/numbalo.xml" || fail "MIME description differs"
  ! has desktop-file-validate || desktop-file-validate "$entry" || fail "desktop-file-validate"
}
refreshed() { [ -f "$1$home/mime/globs2" ] || [ -f "$1$home/applications/mimeinfo.cache" ]; }

# Per user: the files, then both databases know the type where their tools are installed.
install_into "" "$work/app"
! has update-mime-database || grep -q "application/x-numbalo-sheets:\*\.bng" "$home/mime/globs2" ||
  fail "MIME database not refreshed"
! has update-desktop-database || grep -q "application/x-numbalo-sheets=numbalo.desktop;" \
  "$home/applications/mimeinfo.cache" || fail "desktop database not refreshed"

# Without the tools the install still succeeds, quietly, and refreshes nothing.
rm -rf "$home"
install_into "" "$work/app" PATH="$work/nowhere"
[ ! -s "$work/err" ] && ! refreshed "" || fail "not quiet, or refreshed, without the tools: $(cat "$work/err")"

# Staged: every file under the stage, the entry naming the final place, nothing refreshed, neither under
# the stage nor in the user's folders it names.
find "$home" | sort >"$work/before"
install_into "$work/stage" "$work/final" DESTDIR="$work/stage"
find "$home" | sort | cmp -s - "$work/before" && [ ! -e "$work/final" ] || fail "staged, but wrote outside the stage"
! refreshed "$work/stage" || fail "a staged install refreshed a database"
echo "install checks passed"
