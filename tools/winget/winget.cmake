# The package manager's manifest of the setup as built (tools/winget/make_manifest.py):
# build/winget/manifests/v/Vexmora/VexmoraZevlo/<version>/, with the hash of
# build/VexmoraSetup.exe. A release built with the maker's certificate gives the manifest
# to publish; VEXMORA_DOWNLOAD_URL says where the setup is published ({version} in it
# becomes the version).
set(VEXMORA_DOWNLOAD_URL "" CACHE STRING "Where the release's setup is published ({version}: its version)")
set(winget_out ${CMAKE_BINARY_DIR}/winget)
set(winget_stamp ${winget_out}/manifest.stamp)
set(winget_url)
if(VEXMORA_DOWNLOAD_URL)
  set(winget_url --url ${VEXMORA_DOWNLOAD_URL})
endif()
add_custom_command(OUTPUT ${winget_stamp}
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/make_manifest.py --source ${CMAKE_SOURCE_DIR}
          --installer ${CMAKE_BINARY_DIR}/VexmoraSetup.exe --out ${winget_out} ${winget_url}
  COMMAND ${CMAKE_COMMAND} -E touch ${winget_stamp}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make_manifest.py ${CMAKE_BINARY_DIR}/VexmoraSetup.exe
          ${CMAKE_SOURCE_DIR}/app/ExitCodes.h ${CMAKE_SOURCE_DIR}/base/pure/ProductNames.h
          ${CMAKE_SOURCE_DIR}/skin/app.rc
  COMMENT "Writing the package manager's manifest"
  VERBATIM)
add_custom_target(winget_manifest ALL DEPENDS ${winget_stamp})
add_dependencies(winget_manifest VexmoraSetup_shipped)
