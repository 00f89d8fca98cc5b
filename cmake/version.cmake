# Spreads the project version into what the sources and resources include:
# a header (numbers and text), the manifest, and each program's version
# resource. Everything generated lands in ${PROJECT_BINARY_DIR}/generated,
# which every target sees.
foreach(part MAJOR MINOR PATCH TWEAK)
  if("${PROJECT_VERSION_${part}}" STREQUAL "")
    set(VORLEN_VERSION_${part} 0)
  else()
    set(VORLEN_VERSION_${part} ${PROJECT_VERSION_${part}})
  endif()
endforeach()
set(VORLEN_VERSION ${PROJECT_VERSION})
set(VORLEN_VERSION_QUAD "${VORLEN_VERSION_MAJOR}.${VORLEN_VERSION_MINOR}.${VORLEN_VERSION_PATCH}.${VORLEN_VERSION_TWEAK}")

set(VORLEN_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/resources/vorlen_version.h.in ${VORLEN_GENERATED_DIR}/vorlen_version.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/vorlen.manifest.in ${VORLEN_GENERATED_DIR}/vorlen.manifest @ONLY)
include_directories(${VORLEN_GENERATED_DIR})

# A version resource for one program: vorlen_version_resource(<target> <description>).
function(vorlen_version_resource target description)
  set(VORLEN_FILE_NAME "${target}.exe")
  set(VORLEN_FILE_DESCRIPTION "${description}")
  set(rc ${VORLEN_GENERATED_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
