# Crypto++ and the LZMA SDK come from Debian's source packages, unpacked and (for
# Crypto++) built by tools/bootstrap.sh into a cache outside the repository.
set(VEXMORA_DEPS "${CMAKE_SOURCE_DIR}/../.vexmora-deps" CACHE PATH "dependency cache made by tools/bootstrap.sh")
if(NOT EXISTS "${VEXMORA_DEPS}/paths.cmake")
  message(FATAL_ERROR "${VEXMORA_DEPS}/paths.cmake is missing: run tools/bootstrap.sh first")
endif()
include("${VEXMORA_DEPS}/paths.cmake")

# The 7z decoder of the LZMA SDK (C files only).
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
