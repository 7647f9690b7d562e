#!/usr/bin/env bash
# Installs the build into a temporary prefix, then builds the two example
# hosts against it as outside projects would: examples/qt-host with
# find_package(Dorvane), examples/headless-host with pkg-config; and checks
# that a host project can add the tree with add_subdirectory. Runs the
# headless one on a data folder and the Qt one with --screenshot on Qt's
# offscreen platform, and checks what they produced. Every step is bounded.
#   example-hosts.sh BUILD_DIR SOURCE_DIR BIN_DIR
# With DORVANE_KEEP_SHOT=FILE the screenshot is copied there.
set -euo pipefail
build=$1
source=$2
bin=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

timeout 120 cmake --install "$build" --prefix "$prefix" > "$work/install.log"
if grep -rlE '#include [<"](sqlite3|libpq-fe)\.h' "$prefix/include"; then
  echo "FAIL: an installed header includes an engine's own header"
  exit 1
fi
for f in lib/cmake/Dorvane/DorvaneConfig.cmake lib/cmake/Dorvane/DorvaneConfigVersion.cmake \
         lib/pkgconfig/dorvane.pc include/dorvane/control/ztDorvane.h \
         include/dorvane/frontends/qt/dorvane_widget.h; do
  [[ -f $prefix/$f ]] || { echo "FAIL: $f was not installed"; exit 1; }
done

timeout 60 "$bin/dorvane-data" init "$work/left" --companies 8 --jobs 40 --list 4 \
  --today 2024-03-06 > /dev/null
timeout 60 "$bin/dorvane-data" init "$work/right" --companies 5 --jobs 30 --list 2 --saved 1 \
  --seed 9 --today 2024-03-06 > /dev/null

launcher=()
if command -v ccache > /dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

# The tree added to a host project with add_subdirectory: it configures, and
# brings only its libraries (no tests, programs or -Werror).
mkdir -p "$work/sub"
cat > "$work/sub/CMakeLists.txt" << CMAKE
cmake_minimum_required(VERSION 3.20)
project(SubdirectoryHost LANGUAGES CXX)
add_subdirectory("$source" dorvane)
add_executable(sub-host main.cpp)
target_link_libraries(sub-host PRIVATE Dorvane::dorvane_qt)
CMAKE
echo 'int main() { return 0; }' > "$work/sub/main.cpp"
timeout 120 cmake -S "$work/sub" -B "$work/sub/build" -G Ninja > "$work/sub.log" 2>&1 ||
  { cat "$work/sub.log"; echo "FAIL: add_subdirectory does not configure"; exit 1; }
if grep -qE 'test_control|dorvane-script|-Werror' "$work/sub/build/build.ninja"; then
  echo "FAIL: a host's add_subdirectory builds tests, programs or -Werror"; exit 1
fi

# The headless host through pkg-config, which hands it no engine's include
# folder.
flags=$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags --libs dorvane)
if grep -qE 'postgresql' <<< "$flags"; then
  echo "FAIL: pkg-config dorvane gives an engine's folder: $flags"; exit 1
fi
# shellcheck disable=SC2086
timeout 300 ${CXX:-c++} -std=c++20 -o "$work/headless-host" \
  "$source/examples/headless-host/main.cpp" $flags
# A shared build's libraries are found in the prefix, as ld.so would after
# an install under /usr or /usr/local.
out=$(LD_LIBRARY_PATH=$prefix/lib timeout 60 "$work/headless-host" "$work/left")
expected=$'IsListOK -1\nArePEDatesOK 0'
if [[ $out != "$expected" ]]; then
  echo "FAIL: headless-host printed:"; echo "$out"; exit 1
fi

# The Qt host through find_package.
timeout 120 cmake -S "$source/examples/qt-host" -B "$work/qt-host" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$prefix" "${launcher[@]}" > "$work/cmake.log"
timeout 600 cmake --build "$work/qt-host" -j 2 > "$work/build.log" || { cat "$work/build.log"; exit 1; }
if grep -qE '(-I|-isystem) ?[^ ]*postgresql' "$work/qt-host/build.ninja"; then
  echo "FAIL: find_package(Dorvane) gives the host an engine's include folder"; exit 1
fi
QT_QPA_PLATFORM=offscreen timeout 60 "$work/qt-host/qt-host" --screenshot "$work/shot.png" \
  "$work/left" "$work/right"
[[ -s $work/shot.png ]] || { echo "FAIL: no screenshot"; exit 1; }
# The PNG's width (IHDR, bytes 16-19) holds two controls of 569 pixels.
width=$(od -An -tu1 -j16 -N4 "$work/shot.png" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
if (( width < 2 * 569 )); then echo "FAIL: screenshot $width pixels wide"; exit 1; fi
if [[ -n ${DORVANE_KEEP_SHOT:-} ]]; then cp "$work/shot.png" "$DORVANE_KEEP_SHOT"; fi
echo "OK: installed, built both hosts, screenshot $width pixels wide"
