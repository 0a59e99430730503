#!/usr/bin/env bash
# Brings a fresh Debian 12 machine to the point where the setup program builds and
# its tests run: cross compiler, Wine, a virtual display, archive tools, fonts, and the
# sources of Crypto++ and the LZMA SDK unpacked into a cache outside the repository.
# Idempotent: when everything is in place it returns within a second or two.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cache=${VEXMORA_DEPS:-"$here/../.vexmora-deps"}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)

sudo_() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(g++-mingw-w64-i686 mingw-w64-i686-dev cmake make wine wine32:i386 wine64 xvfb xauth
          xdotool imagemagick 7zip fonts-wqy-microhei liblnk-utils python3-pil python3-pefile
          openssl clang libclang-rt-14-dev dpkg-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_ dpkg --add-architecture i386
  need_update=1
fi

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

# Crypto++ for i686 mingw, static.
if [ ! -f "$cache/cryptopp/lib/libcryptopp.a" ]; then
  echo "bootstrap: building Crypto++ for i686-w64-mingw32 (about two minutes)"
  [ -d "$cache/cryptopp-build" ] || cp -r "$cryptopp_dir" "$cache/cryptopp-build"
  make -s -C "$cache/cryptopp-build" -j"$(nproc)" CXX=i686-w64-mingw32-g++-posix \
       AR=i686-w64-mingw32-ar RANLIB=i686-w64-mingw32-ranlib CXXFLAGS="-O2 -DNDEBUG" static >/dev/null 2>&1
  mkdir -p "$cache/cryptopp/lib" "$cache/cryptopp/include/cryptopp"
  cp "$cache/cryptopp-build"/*.h "$cache/cryptopp/include/cryptopp/"
  # Debian's source names the archive libcrypto++.a.
  cp "$(ls "$cache"/cryptopp-build/libcrypto*.a | head -n1)" "$cache/cryptopp/lib/libcryptopp.a"
  rm -rf "$cache/cryptopp-build"
fi

# Where CMake finds them.
cat > "$cache/paths.cmake" <<CM
set(LZMA_SDK_DIR "${lzma_dir%/}/C")
set(CRYPTOPP_DIR "$cache/cryptopp")
CM
echo "$cache"
