#!/usr/bin/env bash
# The program installed into a temporary prefix and used as a desktop uses
# it: every file where the desktop entry and the MIME types say, the entry
# valid, *.jjj files of the project type with the entry registered for it,
# --version and --help, then (under Xvfb) a project opened through the
# entry shows its themes, a second start with a project leaves the first
# running and ends, and nothing is written into the installed files.
#   install_test.sh <build folder> <source folder> <sample generator>
set -euo pipefail

build=$1
source=$2
samples=$3

work=$(mktemp -d)
cleanup() {
  [[ -n ${KEEP_INSTALL_TEST:-} ]] || rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

prefix=$work/prefix
share=$prefix/share
cmake --install "$build" --prefix "$prefix" >"$work/install.log"

# The files where the entry and the MIME package say.
entry=$share/applications/quelvora.desktop
[[ -x $prefix/bin/quelvora ]] || fail "no executable in $prefix/bin"
[[ -f $entry ]] || fail "no desktop entry"
desktop-file-validate "$entry" || fail "desktop-file-validate refused the entry"
icon=$(sed -n 's/^Icon=//p' "$entry")
[[ -f $share/icons/hicolor/scalable/apps/$icon.svg ]] || fail "no icon '$icon'"
tryexec=$(sed -n 's/^TryExec=//p' "$entry")
[[ -x $prefix/bin/$tryexec ]] || fail "TryExec '$tryexec' is not the installed program"
mime=$(sed -n 's/^MimeType=\(.*\);$/\1/p' "$entry")
[[ $mime == application/x-quelvora-project ]] || fail "entry's MimeType is '$mime'"
package=$share/mime/packages/quelvora.xml
grep -q "type=\"$mime\"" "$package" || fail "the MIME package has no $mime"
grep -q '<glob pattern="\*.jjj"/>' "$package" || fail "*.jjj is not in the MIME package"
mime_icon=$(sed -n 's/.*<icon name="\([^"]*\)".*/\1/p' "$package")
[[ -f $share/icons/hicolor/scalable/mimetypes/$mime_icon.svg ]] || fail "no icon '$mime_icon'"
# The help pages and their pictures as the build made them, pages 1 to 30.
diff -r "$build/share/quelvora/help" "$share/quelvora/help" >/dev/null ||
  fail "the installed help pages are not the build's"
for page in $(seq 1 30); do
  [[ -f $share/quelvora/help/$page.htm ]] || fail "help page $page.htm not installed"
done

# The desktop's view of the installed files (the install ran the caches).
mkdir -p "$work/files"
printf 'geo.shp ,dados\\geo.shp\r\n' >"$work/files/mapa.jjj"
printf 'SIGLA\r\nNP1 ,255,0,0\r\n' >"$work/files/geologia.cor"
printf 'A;http://wms.exemplo/cgi-bin/mapserv?\r\n' >"$work/files/servicos.end"
export XDG_DATA_DIRS=$share:/usr/share XDG_DATA_HOME=$work/xdg-home
for f in mapa.jjj:application/x-quelvora-project geologia.cor:text/x-quelvora-colours \
         servicos.end:text/x-quelvora-services; do
  type=$(gio info -a standard::content-type "$work/files/${f%%:*}" |
         sed -n 's/.*standard::content-type: //p')
  [[ $type == "${f#*:}" ]] || fail "${f%%:*} is '$type'"
done
# The entry is the default for projects once the program is on the PATH
# (its TryExec), as an installed program is.
handlers=$(PATH=$prefix/bin:$PATH gio mime "$mime")
grep -q "^Default application.*: quelvora.desktop" <<<"$handlers" ||
  fail "the entry is not the default application for $mime: $handlers"

# The command line's information.
version=$(sed -n 's/^project(Quelvora VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
[[ $("$prefix/bin/quelvora" --version) == "quelvora $version" ]] || fail "--version"
grep -q QUELVORA_DRIVES <<<"$("$prefix/bin/quelvora" --help)" || fail "--help"

# Under Xvfb: the sample project opened through the entry, as a file manager does.
"$samples" "$work/data" >/dev/null
touch "$work/before-start"
cat >"$work/session.sh" <<EOF
set -euo pipefail
unset XDG_DATA_HOME QT_QPA_PLATFORM  # on the X server, as a user runs it
# Its own temporary folder: the single-instance socket of any other running
# Quelvora of this user is not met.
export HOME=$work/home PATH=$prefix/bin:\$PATH QUELVORA_DRIVES="Q=$work/data" TMPDIR=$work/tmp
mkdir -p \$HOME \$TMPDIR
map_colours() {  # distinct colours in the middle of the map
  import -window root "\$1"
  convert "\$1" -crop 600x400+450+150 +repage -format %k info:
}
wait_window() {
  timeout 30 xdotool search --sync --onlyvisible --name "Quelvora" >/dev/null
  sleep 4
}

quelvora & plain=\$!
wait_window
echo "empty \$(map_colours $work/empty.png)"
kill \$plain; wait \$plain || true

gio launch "$entry" "$work/data/projeto/amostra.jjj"
wait_window
echo "project \$(map_colours $work/project.png)"

# A second start with a project ends at once; the first, still running,
# says in a message box (titled as the program) that it did not open it.
timeout 20 quelvora "*$work/data/projeto/amostra.jjj"
echo "second \$?"
if timeout 10 xdotool search --sync --onlyvisible --name "^Quelvora-VORN\$" >/dev/null; then
  echo "told"
fi
import -window root $work/told.png
for p in \$(pgrep -x quelvora); do  # this session's, not another of the user's
  if grep -qz "^HOME=$work/home\$" /proc/\$p/environ; then
    echo "first running"
    kill \$p
  fi
done
EOF
xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/session.sh" >"$work/session.log" 2>&1 ||
  { cat "$work/session.log"; fail "the session under Xvfb failed"; }
cat "$work/session.log"
empty=$(sed -n 's/^empty //p' "$work/session.log")
shown=$(sed -n 's/^project //p' "$work/session.log")
[[ -n $empty && $empty -le 4 ]] || fail "the map without a project shows $empty colours"
[[ -n $shown && $shown -ge 20 ]] || fail "the project's map shows $shown colours: no themes"
grep -q '^second 0$' "$work/session.log" || fail "the second start did not end by itself"
grep -q '^told$' "$work/session.log" || fail "the running window showed no message"
grep -q '^first running$' "$work/session.log" || fail "the first instance ended"

# Installed files stay as installed: working files went to the user's folder.
written=$(find "$prefix" -newer "$work/before-start" -type f)
[[ -z $written ]] || fail "written into the installed files: $written"
[[ -d $work/home/.local/share/quelvora ]] || fail "no working folder in the user's data"
echo "install test passed"
