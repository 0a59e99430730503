# Crypto++ and the LZMA SDK come from Debian's source packages, unpacked and (for
# Crypto++) built by tools/bootstrap.sh into a cache outside the repository. The last line
# bootstrap prints names the file that says where they are.
set(VEXMORA_DEPS_PATHS "" CACHE FILEPATH "paths file made by tools/bootstrap.sh (the last line it prints)")
if(NOT EXISTS "${VEXMORA_DEPS_PATHS}")
  message(FATAL_ERROR "VEXMORA_DEPS_PATHS is '${VEXMORA_DEPS_PATHS}': run tools/bootstrap.sh first and "
                      "configure with -DVEXMORA_DEPS_PATHS=<the last line it prints> (see tools/session.sh)")
endif()
include("${VEXMORA_DEPS_PATHS}")

# The 7z decoder of the LZMA SDK (C files only). It is the extraction's hot path, so it is
# optimised for speed while the rest of the program is optimised for size.
set(lzma_files 7zArcIn.c 7zBuf.c 7zBuf2.c 7zCrc.c 7zCrcOpt.c 7zDec.c 7zFile.c 7zStream.c
               Bcj2.c Bra.c Bra86.c BraIA64.c CpuArch.c Delta.c Lzma2Dec.c LzmaDec.c 7zAlloc.c Alloc.c)
list(TRANSFORM lzma_files PREPEND "${LZMA_SDK_DIR}/")
add_library(lzmasdk STATIC ${lzma_files})
target_include_directories(lzmasdk SYSTEM PUBLIC "${LZMA_SDK_DIR}")
target_compile_definitions(lzmasdk PUBLIC Z7_EXTRACT_ONLY)
target_compile_options(lzmasdk PRIVATE -O2 -w)

add_library(cryptopp STATIC IMPORTED GLOBAL)
set_target_properties(cryptopp PROPERTIES
  IMPORTED_LOCATION "${CRYPTOPP_DIR}/lib/libcryptopp.a"
  INTERFACE_INCLUDE_DIRECTORIES "${CRYPTOPP_DIR}/include")

# What ships is linked lean (see the files in cmake/lean for why): without the C++
# library's verbose terminate handler and, with CRYPTOPP, with only Crypto++'s AES and
# its keying, not its big-number and public-key code. Tests that use the rest of
# Crypto++ as a reference go without it.
function(vexmora_lean_link target)
  cmake_parse_arguments(PARSE_ARGV 1 lean "CRYPTOPP" "" "")
  target_sources(${target} PRIVATE "${CMAKE_SOURCE_DIR}/cmake/lean/QuietTerminate.cpp")
  if(lean_CRYPTOPP)
    target_sources(${target} PRIVATE "${CMAKE_SOURCE_DIR}/cmake/lean/CryptoppLean.cpp")
  endif()
endfunction()
