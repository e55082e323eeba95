#!/usr/bin/env bash
# Builds the third-party C libraries of the Windows build (libpng, libjpeg-turbo,
# mpg123) as static i686 MinGW libraries from Debian's source packages.
# Usage: scripts/build_win_deps.sh [BUILD_ROOT]   (default <repo>/build/win-deps)
#
# Layout under BUILD_ROOT: src/<pkg> (downloaded + unpacked sources), build/<pkg>,
# logs/<pkg>.log, stamps/<pkg>.stamp, prefix/{include,lib} (the result).
# A library is rebuilt only when its stamp is missing or records another source
# version or recipe; a run with everything up to date prints a single line.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
root="${1:-$repo/build/win-deps}"
mkdir -p "$root"
root="$(cd "$root" && pwd)"
prefix="$root/prefix"
# The cross builds pick their compilers themselves (toolchain file, --host);
# flags meant for a native build in the caller's environment must not leak in.
unset CC CXX CPP CFLAGS CXXFLAGS CPPFLAGS LDFLAGS LIBS PKG_CONFIG_PATH
host=i686-w64-mingw32
# zlib is not built here: Debian ships it for MinGW (libz-mingw-w64-dev).
zlib_root=/usr/$host
toolchain="$repo/cmake/mingw-i686.cmake"
jobs=2
# Bump when the configure flags below change so existing builds are redone.
recipe=1

libs=(libpng1.6 libjpeg-turbo mpg123)

say() { printf 'win-deps: %s\n' "$*"; }
die() { say "error: $*" >&2; exit 1; }

# Two configures (or an engineer and a configure) may start this together.
mkdir -p "$root/logs" "$root/stamps" "$root/src" "$root/build"
# NOTE: some upstream install rules resolve relative paths against the working
# directory; stay inside BUILD_ROOT so nothing can land in the caller's tree.
cd "$root"
exec 9>"$root/.lock"
flock 9

as_root_opts=()
[ "$(id -u)" -eq 0 ] && as_root_opts=(-o APT::Sandbox::User=root)

# Newest source version known to the local apt lists (apt-cache reads only the
# cached index: an up-to-date check costs no network and a few milliseconds).
src_version() {
  local best="" v
  for v in $(apt-cache showsrc --only-source "$1" 2>/dev/null | sed -n 's/^Version: //p'); do
    if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best="$v"; fi
  done
  [ -n "$best" ] || return 1
  printf '%s\n' "$best"
}

lib_outputs() {
  case "$1" in
    libpng1.6) echo "$prefix/lib/libpng16.a $prefix/include/png.h" ;;
    libjpeg-turbo) echo "$prefix/lib/libjpeg.a $prefix/include/jpeglib.h" ;;
    mpg123) echo "$prefix/lib/libmpg123.a $prefix/include/mpg123.h" ;;
  esac
}

up_to_date() {
  local pkg="$1" ver="$2" f
  [ -f "$root/stamps/$pkg.stamp" ] || return 1
  [ "$(cat "$root/stamps/$pkg.stamp")" = "$pkg $ver recipe=$recipe" ] || return 1
  for f in $(lib_outputs "$pkg"); do [ -f "$f" ] || return 1; done
}

# Downloads and unpacks the source package into src/<pkg>/tree; prints nothing.
fetch_source() {
  local pkg="$1" ver="$2" dir="$root/src/$1" uris line file hash
  # File names carry the version without its epoch.
  local filever="${ver#*:}"
  mkdir -p "$dir"
  if [ -f "$dir/tree/.version" ] && [ "$(cat "$dir/tree/.version")" = "$ver" ]; then
    return 0
  fi
  # Another version's files would only pile up: start from an empty folder.
  rm -rf "$dir" && mkdir -p "$dir"
  uris="$(apt-get source --print-uris "$pkg=$ver" | grep "^'")"
  # NOTE: the archive mirror lacks some upstream signature files (*.asc), which
  # makes apt-get source fail as a whole. Download what is there, then check
  # every file ourselves against the SHA256 from the signed Sources index and
  # accept only missing *.asc files.
  (cd "$dir" && apt-get source -q --download-only "${as_root_opts[@]}" "$pkg=$ver") || true
  while read -r line; do
    read -r _ file _ hash <<<"$line"
    if [ ! -f "$dir/$file" ]; then
      [[ "$file" == *.asc ]] && continue
      echo "missing $file after download" >&2; return 1
    fi
    case "$hash" in
      SHA256:*) echo "${hash#SHA256:}  $dir/$file" | sha256sum -c --quiet - || return 1 ;;
    esac
  done <<<"$uris"
  rm -rf "$dir/tree"
  # --no-check: the checksums were verified above; a missing .asc would
  # otherwise abort the unpacking.
  (cd "$dir" && dpkg-source --no-check -x "${pkg}_${filever}.dsc" tree)
  echo "$ver" >"$dir/tree/.version"
}

cmake_cross() {
  cmake -S "$1" -B "$2" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR="$prefix/lib" -DCMAKE_INSTALL_INCLUDEDIR="$prefix/include" \
    "${@:3}"
  cmake --build "$2" -j"$jobs"
  cmake --install "$2"
}

build_libpng1.6() {
  cmake_cross "$1" "$2" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_INCLUDE_DIR="$zlib_root/include" -DZLIB_LIBRARY="$zlib_root/lib/libz.a"
  # Both names are used by find modules; keep a plain copy, not a symlink, so
  # the prefix can be copied anywhere.
  [ -f "$prefix/lib/libpng.a" ] || cp "$prefix/lib/libpng16.a" "$prefix/lib/libpng.a"
}

build_libjpeg-turbo() {
  local simd=ON
  command -v nasm >/dev/null || simd=OFF
  # The project has no switch for its command-line tools; they are small and
  # are removed from the prefix below.
  cmake_cross "$1" "$2" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DWITH_SIMD="$simd" -DREQUIRE_SIMD="$simd" -DCMAKE_ASM_NASM_COMPILER=nasm
}

build_mpg123() {
  # Autotools builds out of tree: configure from the build folder.
  (cd "$2" && "$1/configure" --host="$host" --prefix="$prefix" --libdir="$prefix/lib" \
    --enable-static --disable-shared --with-audio=dummy --disable-modules \
    --with-cpu=generic_fpu --disable-network --disable-ipv6 \
    CFLAGS="-O2" && make -j"$jobs" && make install)
  # Only the decoder is used; the output and resampling libraries that come
  # with it (and libtool's .la files with their absolute paths) are dropped.
  rm -f "$prefix"/lib/lib{mpg123,out123,syn123}.la "$prefix"/lib/lib{out123,syn123}.a \
    "$prefix"/lib/pkgconfig/lib{out123,syn123}.pc "$prefix"/include/{out123,syn123}.h
}

# Pulls the toolchain and source-package tooling in when something has to be
# built; on a set-up machine this is a no-op.
deps_checked=0
ensure_tools() {
  [ "$deps_checked" -eq 1 ] && return 0
  deps_checked=1
  bash "$repo/scripts/install_deps.sh" windows
}

cached=()
for pkg in "${libs[@]}"; do
  if ! ver="$(src_version "$pkg")"; then
    ensure_tools
    ver="$(src_version "$pkg")" || die "no source package for $pkg (is the deb-src entry missing?)"
  fi
  if up_to_date "$pkg" "$ver"; then
    cached+=("$pkg $ver")
    continue
  fi
  ensure_tools
  log="$root/logs/$pkg.log"
  start=$SECONDS
  rm -f "$root/stamps/$pkg.stamp"
  # An old copy in the prefix must not pass for a fresh build.
  for f in $(lib_outputs "$pkg"); do rm -f "$f"; done
  # NOTE: the steps run in a subshell outside any if/||, because bash ignores
  # set -e in a condition and a failed configure would run on into make.
  set +e
  (
    set -e
    fetch_source "$pkg" "$ver"
    rm -rf "$root/build/$pkg" && mkdir -p "$root/build/$pkg"
    "build_$pkg" "$root/src/$pkg/tree" "$root/build/$pkg"
    for f in $(lib_outputs "$pkg"); do
      [ -f "$f" ] || { echo "expected output $f is missing"; exit 1; }
    done
  ) >"$log" 2>&1
  failed=$?
  set -e
  if [ "$failed" -ne 0 ]; then
    # Unpack afresh next time, in case the tree itself is what is broken.
    rm -f "$root/src/$pkg/tree/.version"
    say "$pkg $ver FAILED after $((SECONDS - start))s; last lines of $log:" >&2
    tail -n 30 "$log" >&2
    exit 1
  fi
  echo "$pkg $ver recipe=$recipe" >"$root/stamps/$pkg.stamp"
  say "$pkg $ver built in $((SECONDS - start))s"
done

# Tools, manuals and docs installed by the upstream build systems are not needed.
rm -rf "${prefix:?}/bin" "${prefix:?}/share"

if [ ${#cached[@]} -eq ${#libs[@]} ]; then
  summary="$(printf '%s, ' "${cached[@]}")"
  say "up to date (${summary%, })"
fi
