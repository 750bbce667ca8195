#!/usr/bin/env bash
# The checks of what cadencio installs, one per ctest test:
#   check.sh build-package BUILD_DIR          makes the .deb with cpack, lists it in BUILD_DIR/package/deb.txt
#   check.sh lintian BUILD_DIR                lintian on it: no errors
#   check.sh destdir BUILD_DIR                cmake --install honours DESTDIR
#   check.sh man-pages BUILD_DIR              groff -ww -z and mandoc -T lint report nothing
#   check.sh desktop SOURCE_DIR BUILD_DIR     desktop-file-validate and appstreamcli validate
#   check.sh catalogues SOURCE_DIR            every message of the command line is translated
set -euo pipefail
what=$1
shift

deb() { head -n 1 "$1/package/deb.txt"; }

case $what in
build-package)
  build=$1
  rm -rf "$build/package"
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$build/package" > "$build/package.log" ||
    { cat "$build/package.log"; exit 1; }
  ls "$build"/package/cadencio_*_amd64.deb > "$build/package/deb.txt"
  dpkg-deb --info "$(deb "$build")"
  ;;
lintian)
  # As root, lintian notes that it is not recommended; that is about the tester.
  lintian --fail-on error --info "$(deb "$1")"
  ;;
destdir)
  build=$1
  stage=$(mktemp -d)
  trap 'rm -rf "$stage"' EXIT
  DESTDIR=$stage/root cmake --install "$build" --prefix /opt/cadencio > /dev/null
  for file in bin/cadencio share/sonaud/AUDIRA.INI share/man/man1/cadencio.1.gz \
    share/applications/cadencio.desktop share/locale/pt_BR/LC_MESSAGES/cadencio.mo; do
    test -f "$stage/root/opt/cadencio/$file" || { echo "missing: $file"; exit 1; }
  done
  test ! -e /opt/cadencio || { echo "installed outside DESTDIR"; exit 1; }
  # Found from where it was installed, below DESTDIR: the data and the messages.
  out=$(env -u LANGUAGE -u LC_ALL LANG=pt_BR.UTF-8 "$stage/root/opt/cadencio/bin/cadencio" --help)
  grep -q "mostra este texto" <<<"$out" || { echo "$out"; exit 1; }
  ;;
man-pages)
  build=$1
  status=0
  for page in "$build/man/man1/cadencio.1" "$build/man/pt_BR/man1/cadencio.1"; do
    warnings=$(LC_ALL=C.UTF-8 groff -ww -z -K utf8 -man "$page" 2>&1)
    [ -z "$warnings" ] || { echo "groff: $page: $warnings"; status=1; }
    warnings=$(mandoc -T lint -W warning "$page" 2>&1) ||
      { echo "mandoc: $warnings"; status=1; }
  done
  exit $status
  ;;
desktop)
  source=$1 build=$2
  desktop-file-validate "$source/desktop/cadencio.desktop"
  appstreamcli validate --no-net --pedantic "$build"/desktop/*.metainfo.xml
  ;;
catalogues)
  source=$1
  pot=$(mktemp)
  trap 'rm -f "$pot"' EXIT
  # The command line's own texts, and the front ends' reasons that it says.
  xgettext --keyword=Tr --keyword=CatalogueText --from-code=UTF-8 -o "$pot" \
    "$source/src/program/main.cpp" "$source"/src/frontends/*/*.cpp
  sed -i "s/charset=CHARSET/charset=UTF-8/" "$pot"
  for po in "$source"/po/*.po; do
    msgcmp "$po" "$pot"
    msgfmt --check --statistics -o /dev/null "$po" 2>&1 | grep -v -e fuzzy -e untranslated
  done
  ;;
*)
  echo "unknown check: $what" >&2
  exit 2
  ;;
esac
