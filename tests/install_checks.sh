#!/bin/sh
# Checks of what is installed and shipped, each needing no X server.
# Usage: install_checks.sh CHECK SOURCE_DIR BUILD_DIR VERSION
set -eu
check=$1
src=$2
build=$3
version=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# The files an install under the prefix /usr puts in place.
metainfo=usr/share/metainfo/${LUNACLOCK_APPSTREAM_ID:?}.metainfo.xml
expected_files="usr/bin/lunaclock
usr/share/man/man1/lunaclock.1.gz
usr/share/applications/lunaclock.desktop
$metainfo
usr/share/doc/lunaclock/copyright
usr/share/doc/lunaclock/changelog.gz
etc/X11/app-defaults/Lunaclock
usr/share/icons/hicolor/16x16/apps/lunaclock.png
usr/share/icons/hicolor/32x32/apps/lunaclock.png
usr/share/icons/hicolor/48x48/apps/lunaclock.png
usr/share/icons/hicolor/64x64/apps/lunaclock.png
usr/share/icons/hicolor/128x128/apps/lunaclock.png"

case $check in
tree)
  DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/log" || { cat "$work/log"; fail "cmake --install"; }
  for f in $expected_files; do
    [ -f "$work/root/$f" ] || fail "$f is not installed"
  done
  [ -x "$work/root/usr/bin/lunaclock" ] || fail "the binary is not executable"
  gzip -dc "$work/root/usr/share/man/man1/lunaclock.1.gz" | cmp "$src/man/lunaclock.1" - || fail "man page differs"
  cmp "$src/data/app-defaults/Lunaclock" "$work/root/etc/X11/app-defaults/Lunaclock" || fail "app-defaults file differs"
  # The changelog is CHANGELOG.md in Debian's format, newest release first.
  gzip -dc "$work/root/usr/share/doc/lunaclock/changelog.gz" | head -n 1 >"$work/first"
  [ "$(cat "$work/first")" = "lunaclock ($version) unstable; urgency=medium" ] || fail "changelog starts: $(cat "$work/first")"
  # The licence text of the copyright file is the one of LICENSE.
  awk '/^License: Expat$/ { start = NR } { line[NR] = $0 }
       END { for (i = start + 1; i <= NR; i++) print line[i] }' "$work/root/usr/share/doc/lunaclock/copyright" |
    sed 's/^ \.$//; s/^ //' >"$work/licence"
  tail -n +5 "$src/LICENSE" | cmp - "$work/licence" || fail "the copyright file's licence differs from LICENSE"
  # Another prefix: the app-defaults file under share/X11, nothing in /etc.
  DESTDIR="$work/local" cmake --install "$build" --prefix /usr/local >"$work/log" || { cat "$work/log"; fail "cmake --install"; }
  [ -f "$work/local/usr/local/share/X11/app-defaults/Lunaclock" ] || fail "no app-defaults file under /usr/local"
  [ ! -e "$work/local/etc" ] || fail "an install under /usr/local wrote to /etc"
  for size in 16 32 48 64 128; do
    got=$(file -b "$work/root/usr/share/icons/hicolor/${size}x${size}/apps/lunaclock.png")
    case $got in
      "PNG image data, $size x $size,"*) ;;
      *) fail "icon ${size}x${size} is: $got" ;;
    esac
  done
  # Nothing outside the prefix, and nothing unexpected in it.
  (cd "$work/root" && find . -type f | sed 's|^\./||' | sort) >"$work/got"
  printf '%s\n' $expected_files | sort >"$work/want"
  diff "$work/want" "$work/got" || fail "installed files differ from the list"
  ;;
desktop)
  desktop-file-validate "$src/data/lunaclock.desktop" >"$work/out" 2>&1 || { cat "$work/out"; fail "desktop-file-validate"; }
  cat "$work/out"
  # Not even a hint.
  [ ! -s "$work/out" ] || fail "desktop-file-validate has remarks"
  for key in "Type=Application" "Name=Lunaclock" "Exec=lunaclock" "Icon=lunaclock" "StartupWMClass=Lunaclock" \
             "Categories=Science;Astronomy;"; do
    grep -qx "$key" "$src/data/lunaclock.desktop" || fail "missing $key"
  done
  ;;
man)
  groff -ww -man -Tutf8 "$src/man/lunaclock.1" >"$work/out" 2>"$work/err" || fail "groff failed"
  [ ! -s "$work/err" ] || { cat "$work/err"; fail "groff warned"; }
  LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$src/man/lunaclock.1" >/dev/null 2>"$work/err" ||
    fail "man failed"
  [ ! -s "$work/err" ] || { cat "$work/err"; fail "man warned"; }
  # Plain text, without overstrike or escapes, for the look-ups below.
  groff -man -Tutf8 -P-cbou "$src/man/lunaclock.1" >"$work/out"
  for word in SYNOPSIS DESCRIPTION OPTIONS WIDGETS ENVIRONMENT FILES "EXIT STATUS" master_rc txt2_f lvalue canvas TZ; do
    grep -q "$word" "$work/out" || fail "the page lacks $word"
  done
  ;;
package)
  cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/pkg" >"$work/log" 2>&1 || { cat "$work/log"; fail "cpack"; }
  deb=$(ls "$work"/pkg/*.deb)
  dpkg-deb -I "$deb" >"$work/info"
  cat "$work/info"
  depends=$(sed -n 's/^ Depends: //p' "$work/info")
  for lib in libxm4 libx11-6 libnova-0.16-0; do
    case $depends in *"$lib"*) ;; *) fail "Depends lacks $lib: $depends" ;; esac
  done
  case $depends in *libxt6*) ;; *) fail "Depends lacks libxt6: $depends" ;; esac
  # The font that the app-defaults file names.
  case $depends in *fonts-dejavu-core*) ;; *) fail "Depends lacks fonts-dejavu-core: $depends" ;; esac
  dpkg-deb -f "$deb" Maintainer | grep -q '^[^<]* <[^@>]*@[^@>]*\.[^@>]*>$' || fail "Maintainer: $(dpkg-deb -f "$deb" Maintainer)"
  dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - ./conffiles >"$work/conffiles"
  grep -qx /etc/X11/app-defaults/Lunaclock "$work/conffiles" || fail "the app-defaults file is not a conffile"
  dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' >"$work/contents"
  for f in $expected_files; do
    grep -qx "$f" "$work/contents" || fail "the package lacks $f"
  done
  dpkg-deb -x "$deb" "$work/root"
  got=$(env -u DISPLAY "$work/root/usr/bin/lunaclock" --version) || fail "the packaged binary did not run"
  [ "$got" = "lunaclock $version" ] || fail "--version printed: $got"
  # Stripped, PIE, and in an optimised build with Debian's hardening: full
  # relro (bind now), stack protector and fortified functions.
  bin="$work/root/usr/bin/lunaclock"
  case $(file -b "$bin") in *"pie executable"*", stripped"*) ;; *) fail "binary is: $(file -b "$bin")" ;; esac
  if [ "${LUNACLOCK_HARDENED:-OFF}" = ON ]; then
    readelf -d "$bin" | grep -q 'FLAGS.*BIND_NOW' || fail "binary not linked with -z now"
    readelf -lW "$bin" | grep -q GNU_RELRO || fail "binary not linked with -z relro"
    readelf --dyn-syms -W "$bin" | grep -q __stack_chk_fail || fail "binary without stack protector"
    readelf --dyn-syms -W "$bin" | grep -q '__[a-z]*_chk' || fail "binary without fortified functions"
  fi
  # Every tag at pedantic level is shown; errors and warnings fail.
  lintian --pedantic "$deb" >"$work/lintian" 2>&1 || true
  cat "$work/lintian"
  if grep -E '^(E|W): ' "$work/lintian" >/dev/null; then fail "lintian reports errors or warnings"; fi
  ;;
appstream)
  appstreamcli validate --pedantic --no-net "$build/dist/$(basename "$metainfo")" >"$work/out" 2>&1 ||
    { cat "$work/out"; fail "appstreamcli validate"; }
  cat "$work/out"
  # Not even an info or pedantic remark.
  if grep -E '^[EWIP]: ' "$work/out" >/dev/null; then fail "appstreamcli has remarks"; fi
  grep -q "<release version=\"$version\"" "$build/dist/$(basename "$metainfo")" || fail "metainfo lacks release $version"
  ;;
cli)
  # Both answer without a display, on standard output, with status 0.
  env -u DISPLAY "$LUNACLOCK_BINARY" --version >"$work/out" 2>"$work/err" || fail "--version exited $?"
  [ ! -s "$work/err" ] || { cat "$work/err"; fail "--version wrote to standard error"; }
  [ "$(cat "$work/out")" = "lunaclock $version" ] || fail "--version printed: $(cat "$work/out")"
  env -u DISPLAY "$LUNACLOCK_BINARY" --help >"$work/out" 2>"$work/err" || fail "--help exited $?"
  [ ! -s "$work/err" ] || { cat "$work/err"; fail "--help wrote to standard error"; }
  [ "$(head -n 1 "$work/out")" = "usage: lunaclock [-toolkitoption ...] [-c] [-m] [-t] [-U]" ] ||
    fail "--help printed: $(cat "$work/out")"
  for opt in -c -m -t -U; do
    grep -q "^  $opt " "$work/out" || fail "--help does not list $opt"
  done
  # Anything else still needs a display, and says so.
  if env -u DISPLAY "$LUNACLOCK_BINARY" -m >/dev/null 2>"$work/err"; then fail "started without a display"; fi
  grep -q "Can't open display" "$work/err" || { cat "$work/err"; fail "no display message"; }
  ;;
*)
  fail "unknown check $check"
  ;;
esac
echo "ok: $check"
