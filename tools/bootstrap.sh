#!/usr/bin/env bash
# Brings a fresh Debian 12 machine to the point where the setup program builds and
# its tests run: cross compiler, Wine, a virtual display, archive tools, fonts, the
# signing tool, and the sources of Crypto++ and the LZMA SDK unpacked into a cache outside
# the repository. Idempotent: when everything is in place it returns within a second or two.
# Its last line of output is the file that tells CMake where the libraries are
# (-DVEXMORA_DEPS_PATHS=...).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cache=${VEXMORA_DEPS:-"$here/../.vexmora-deps"}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)

sudo_() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# Wine without its 32-bit half: every program we build is x86-64, and the kernel of some
# machines runs no 32-bit code at all (tools/wine64 names the 64-bit loader in any case).
packages=(g++-mingw-w64-x86-64 mingw-w64-x86-64-dev cmake make wine wine64 xvfb xauth
          xdotool imagemagick 7zip fonts-wqy-microhei liblnk-utils python3-pil python3-pefile
          python3-yaml openssl osslsigncode clang libclang-rt-14-dev dpkg-dev zopfli pngquant optipng)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

need_update=0

src_list=/etc/apt/sources.list.d/vexmora-deb-src.sources
have_src() { grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ || grep -qs '^deb-src' /etc/apt/sources.list; }
if ! have_src; then
  # deb-src entries mirroring the configured deb entries (same URIs, suites and keys).
  sudo_ /usr/bin/python3 - "$src_list" <<'PY'
import glob, re, sys
out = []
for f in glob.glob('/etc/apt/sources.list.d/*.sources'):
    for block in open(f).read().split('\n\n'):
        fields = dict(re.findall(r'^(\S+):\s*(.*)$', block, re.M))
        if fields.get('Types', '').split() != ['deb']:
            continue
        if 'debian' not in fields.get('URIs', ''):
            continue
        entry = ['Types: deb-src', 'URIs: ' + fields['URIs'], 'Suites: ' + fields['Suites'], 'Components: main']
        if 'Signed-By' in fields:
            entry.append('Signed-By: ' + fields['Signed-By'])
        out.append('\n'.join(entry))
open(sys.argv[1], 'w').write('\n\n'.join(out) + '\n')
PY
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_update = 1 ] || [ ! -f "$cache/.sources-ok" ]; then
  sudo_ apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  sudo_ env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Sources of the two libraries, unpacked once.
if [ ! -f "$cache/.sources-ok" ]; then
  (cd "$cache" && rm -rf src && mkdir src && cd src && apt-get source -qq 7zip libcrypto++ >/dev/null 2>&1)
  touch "$cache/.sources-ok"
fi
lzma_dir=$(ls -d "$cache"/src/7zip-*/ 2>/dev/null | head -n1)
cryptopp_dir=$(ls -d "$cache"/src/libcrypto++-*/ 2>/dev/null | head -n1)
[ -n "$lzma_dir" ] && [ -n "$cryptopp_dir" ] || { echo "bootstrap: library sources missing in $cache/src" >&2; exit 1; }

# Crypto++ for x86-64 mingw, static, optimised for size: the setup uses it only for the
# journal's few kilobytes, and every byte of it ships. Each function and datum gets a
# section of its own, so that the linker can drop what nothing references. The build goes
# into a folder named after its flags, so that changing them builds anew beside the old
# one (other checkouts may still link that) instead of replacing it.
triple=x86_64-w64-mingw32
cryptopp_flags="-Os -DNDEBUG -ffunction-sections -fdata-sections"
cryptopp_key=$(printf '%s %s' "$triple" "$cryptopp_flags" | sha256sum | cut -c1-12)
cryptopp_out="$cache/cryptopp-$cryptopp_key"
if [ ! -f "$cryptopp_out/lib/libcryptopp.a" ]; then
  echo "bootstrap: building Crypto++ for $triple with $cryptopp_flags (about three minutes)"
  work="$cache/cryptopp-$cryptopp_key-build"
  rm -rf "$work" "$cryptopp_out.tmp"
  cp -r "$cryptopp_dir" "$work"
  make -s -C "$work" -j"$(nproc)" CXX=$triple-g++-posix \
       AR=$triple-ar RANLIB=$triple-ranlib CXXFLAGS="$cryptopp_flags" static >/dev/null 2>&1
  mkdir -p "$cryptopp_out.tmp/lib" "$cryptopp_out.tmp/include/cryptopp"
  cp "$work"/*.h "$cryptopp_out.tmp/include/cryptopp/"
  # Debian's source names the archive libcrypto++.a.
  cp "$(ls "$work"/libcrypto*.a | head -n1)" "$cryptopp_out.tmp/lib/libcryptopp.a"
  printf '%s %s\n' "$triple" "$cryptopp_flags" > "$cryptopp_out.tmp/flags"
  rm -rf "$work" "$cryptopp_out"
  mv "$cryptopp_out.tmp" "$cryptopp_out"
fi

# Where CMake finds them: a file per Crypto++ build, so that checkouts whose bootstrap
# builds it differently never overwrite each other's answer.
paths="$cache/paths-$cryptopp_key.cmake"
cat > "$paths.$$" <<CM
set(LZMA_SDK_DIR "${lzma_dir%/}/C")
set(CRYPTOPP_DIR "$cryptopp_out")
CM
mv "$paths.$$" "$paths"
echo "$paths"
