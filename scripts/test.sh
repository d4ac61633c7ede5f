#!/usr/bin/env bash
# Installs what is missing, builds every target with GCC (Debian's default compiler), builds
# with clang and the sanitizers and runs every test headless (offscreen, and under a private
# headless Weston); then builds the .deb from a plain release build in build-test/package and
# checks what it installs. Warnings are errors with both compilers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-test/gcc -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=g++
cmake --build build-test/gcc
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMAILWEIR_SANITIZE=ON \
      -DMAILWEIR_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++
cmake --build build-test
(cd build-test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j2)

cmake -S . -B build-test/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DMAILWEIR_TESTS=OFF \
      -DMAILWEIR_BENCH=OFF
cmake --build build-test/package
(cd build-test/package && cpack -G DEB)
deb=$(ls build-test/package/mailweir_*.deb)
contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/mailweir ./usr/share/mailweir/Help.html \
            ./usr/share/applications/org.mailweir.Mailweir.desktop \
            ./usr/share/icons/hicolor/scalable/apps/org.mailweir.Mailweir.svg \
            ./usr/share/metainfo/org.mailweir.Mailweir.metainfo.xml; do
    grep -q " $path\$" <<<"$contents" || { echo "$deb lacks $path"; exit 1; }
done
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || { echo "$deb lacks its Qt dependencies"; exit 1; }
echo "Package: $deb"
