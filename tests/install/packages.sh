#!/usr/bin/env bash
# Checks what a system gets from the build.
#   packages.sh man BIN_DIR SOURCE_DIR
#     each manual page of docs/man lists exactly the options its program's
#     --help prints (dorvane-data's commands' help too);
#   packages.sh deb BUILD_DIR
#     CPack's Debian packages: the files and dependencies of each, and no
#     error from lintian. Exits 77 (a skip) when dpkg-deb is not installed.
# Every step is bounded.
set -euo pipefail
mode=$1

# The long options and -h a text names, one a line, sorted.
options() { grep -oE '(^|[^a-z-])(--[a-z][a-z-]*|-h)\b' | sed -E 's/^[^-]//' | sort -u; }

if [[ $mode == man ]]; then
  bin=$2
  source=$3
  status=0
  for program in dorvane-data dorvane-script dorvane-desktop dorvane-web; do
    [[ -x $bin/$program ]] || continue
    help=$(QT_QPA_PLATFORM=offscreen timeout 20 "$bin/$program" --help)
    if [[ $program == dorvane-data ]]; then
      for command in init copy schema import; do
        help+=$'\n'$(timeout 20 "$bin/$program" "$command" --help)
      done
    fi
    # troff writes a dash as \- ; the comment lines at the top are not the page.
    page=$(grep -v '^\.\\"' "$source/docs/man/$program.1" | sed 's/\\-/-/g')
    if ! diff <(options <<< "$help") <(options <<< "$page") > /dev/null; then
      echo "FAIL: $program.1 and $program --help list different options (< help, > page):"
      diff <(options <<< "$help") <(options <<< "$page") || true
      status=1
    fi
  done
  [[ $status == 0 ]] && echo "OK: the manual pages list the options --help prints"
  exit $status
fi

build=$2
if ! command -v dpkg-deb > /dev/null; then
  echo "SKIP: dpkg-deb is not installed"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && timeout 300 cpack -G DEB --config "$build/CPackConfig.cmake" > cpack.log 2>&1) ||
  { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb() { ls "$work"/"$1"_*.deb; }
runtime=$(deb libdorvane2)
dev=$(deb libdorvane-dev)
programs=$(deb dorvane)

# Files: the libraries with their SONAME in the runtime package, the links and
# headers in the development package, the programs with their pages, menu
# entry and icon in the third.
expect() {  # PACKAGE PATTERN...: each pattern matches a line of the package's list
  local list
  list=$(dpkg-deb -c "$1" | sed -E 's/^(\S+\s+){5}//')
  shift
  for pattern in "$@"; do
    grep -qE "$pattern" <<< "$list" || { echo "FAIL: no $pattern in:"; echo "$list"; exit 1; }
  done
}
expect "$runtime" '^\./usr/lib/libdorvane\.so\.2\.0\.0$' '^\./usr/lib/libdorvane\.so\.2 -> ' \
  '^\./usr/lib/libdorvane_qt\.so\.2\.0\.0$' '^\./usr/share/doc/libdorvane2/copyright$'
expect "$dev" '^\./usr/lib/libdorvane\.so -> ' '^\./usr/include/dorvane/control/ztDorvane\.h$' \
  '^\./usr/lib/cmake/Dorvane/DorvaneConfig\.cmake$' '^\./usr/lib/pkgconfig/dorvane\.pc$'
expect "$programs" '^\./usr/bin/dorvane-data$' '^\./usr/bin/dorvane-script$' \
  '^\./usr/bin/dorvane-web$' '^\./usr/share/man/man1/dorvane-web\.1\.gz$' \
  '^\./usr/bin/dorvane-desktop$' '^\./usr/share/man/man1/dorvane-desktop\.1\.gz$' \
  '^\./usr/share/applications/dorvane-desktop\.desktop$' \
  '^\./usr/share/icons/hicolor/scalable/apps/dorvane-desktop\.svg$'
if dpkg-deb -c "$runtime" | grep -qE '\.so -> |include/'; then
  echo "FAIL: the runtime package holds development files"; exit 1
fi

# Dependencies: on one another at the same version and on the libraries the
# binaries link; the development package on Qt's for the Qt front end.
depends() { dpkg-deb -f "$1" Depends; }
for package in "$programs" "$dev"; do
  grep -q 'libdorvane2 (= 2.0.0)' <<< "$(depends "$package")" ||
    { echo "FAIL: $(basename "$package") depends on: $(depends "$package")"; exit 1; }
done
for library in libsqlite3 libpq5 libqt6widgets6; do
  grep -q "$library" <<< "$(depends "$runtime")" ||
    { echo "FAIL: libdorvane2 depends on: $(depends "$runtime"), not $library"; exit 1; }
done
dpkg-deb -I "$runtime" shlibs | grep -q '^libdorvane 2 libdorvane2' ||
  { echo "FAIL: no shlibs entry for libdorvane.so.2"; exit 1; }

command -v lintian > /dev/null || { echo "FAIL: lintian is not installed (make deps)"; exit 1; }
timeout 300 lintian --fail-on error "$runtime" "$dev" "$programs" > "$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log"; echo "FAIL: lintian reports errors"; exit 1; }
echo "OK: $(basename "$runtime") $(basename "$dev") $(basename "$programs")"
