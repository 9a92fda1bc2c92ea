# The version and the names every binary and the setup program carry. The number itself
# is the one in the top-level project() call; nothing else in the tree spells it.
set(QUAY_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(QUAY_VERSION_FOUR ${QUAY_VERSION}.0)
set(QUAY_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
set(QUAY_PRODUCT_NAME "Quaysail")
set(QUAY_PUBLISHER "Tidewell")

# quay_version_resource(TARGET DESCRIPTION text FILENAME name TYPE APP|DLL [SELF_REGISTER])
# Gives TARGET a VERSIONINFO resource of its own, made from cmake/VersionInfo.rc.in.
# SELF_REGISTER marks a COM server that registers itself (the OLESelfRegister value).
function(quay_version_resource target)
  cmake_parse_arguments(V "SELF_REGISTER" "DESCRIPTION;FILENAME;TYPE" "" ${ARGN})
  set(QUAY_EXTRA_VALUES "")
  if(V_SELF_REGISTER)
    set(QUAY_EXTRA_VALUES "VALUE \"OLESelfRegister\", \"\"")
  endif()
  set(QUAY_FILE_DESCRIPTION ${V_DESCRIPTION})
  set(QUAY_ORIGINAL_FILENAME ${V_FILENAME})
  set(QUAY_INTERNAL_NAME ${target})
  set(QUAY_FILE_TYPE VFT_${V_TYPE})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
