# What ships, the setup and the client's programs in its payload, is stripped of its
# symbols and signed with Authenticode (Debian's osslsigncode). The linker writes the full
# program where debugging finds it; vexmora_ship() makes the shipped copy from it.
#
# The signing identity is the maker's certificate when the build is given one:
#   VEXMORA_SIGN_PKCS12    the PKCS #12 file (certificate chain and private key)
#   VEXMORA_SIGN_PASSWORD  its password (read when a program is signed; never stored)
# Otherwise it is a throw-away test certificate that the first configuration of a build
# folder makes with openssl in build/signing/ (and that nothing trusts).
# build/signing/identity says which one signed the build, for the tests that verify it.
find_program(OSSLSIGNCODE osslsigncode REQUIRED)
find_program(OPENSSL openssl REQUIRED)

set(VEXMORA_SIGN_DIR ${CMAKE_BINARY_DIR}/signing)
file(MAKE_DIRECTORY ${VEXMORA_SIGN_DIR})
if(NOT "$ENV{VEXMORA_SIGN_PKCS12}" STREQUAL "")
  get_filename_component(VEXMORA_SIGN_PKCS12 "$ENV{VEXMORA_SIGN_PKCS12}" ABSOLUTE)
  if(NOT EXISTS "${VEXMORA_SIGN_PKCS12}")
    message(FATAL_ERROR "VEXMORA_SIGN_PKCS12 names ${VEXMORA_SIGN_PKCS12}, which does not exist")
  endif()
  set(sign_password --password-env VEXMORA_SIGN_PASSWORD)
  set(sign_identity "maker ${VEXMORA_SIGN_PKCS12}")
else()
  set(test_name ${VEXMORA_SIGN_DIR}/test-signer)
  if(NOT EXISTS ${test_name}.p12)
    message(STATUS "Making a test certificate for signing in ${VEXMORA_SIGN_DIR}")
    string(RANDOM LENGTH 24 test_password)
    file(WRITE ${test_name}.password "${test_password}\n")
    execute_process(
      COMMAND ${OPENSSL} req -x509 -newkey rsa:2048 -sha256 -nodes -days 3650
              -subj "/O=Vexmora/CN=VexmoraZevlo test signing (not for release)"
              -addext "basicConstraints=critical,CA:FALSE"
              -addext "keyUsage=critical,digitalSignature"
              -addext "extendedKeyUsage=codeSigning"
              -keyout ${test_name}.key -out ${test_name}.pem
      COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET ERROR_QUIET)
    execute_process(
      COMMAND ${OPENSSL} pkcs12 -export -name "VexmoraZevlo test signing" -inkey ${test_name}.key
              -in ${test_name}.pem -passout file:${test_name}.password -out ${test_name}.p12.tmp
      COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET ERROR_QUIET)
    file(REMOVE ${test_name}.key)
    file(RENAME ${test_name}.p12.tmp ${test_name}.p12)
  endif()
  set(VEXMORA_SIGN_PKCS12 ${test_name}.p12)
  set(sign_password --password-file ${test_name}.password)
  set(sign_identity "test ${test_name}.pem")
endif()
# Rewritten only when it changes: a new identity signs everything again.
file(CONFIGURE OUTPUT ${VEXMORA_SIGN_DIR}/identity CONTENT "${sign_identity}\n")

# vexmora_ship(<name> <target> <shipped file> <description>): <shipped file> is the
# program of <target> stripped and then signed, with <description> as the signature's
# program name. The target <name>, part of the default build, makes it.
function(vexmora_ship name target shipped description)
  add_custom_command(OUTPUT ${shipped}
    COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/cmake/ship_file.py
            --strip ${CMAKE_STRIP} --signer ${OSSLSIGNCODE} --in $<TARGET_FILE:${target}> --out ${shipped}
            --pkcs12 ${VEXMORA_SIGN_PKCS12} ${sign_password} --description ${description}
    DEPENDS ${target} ${CMAKE_SOURCE_DIR}/cmake/ship_file.py ${VEXMORA_SIGN_PKCS12}
            ${VEXMORA_SIGN_DIR}/identity
    COMMENT "Stripping and signing ${shipped}"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS ${shipped})
endfunction()
