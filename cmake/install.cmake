# Install rules and packages.
#
# Linux: `cmake --install build/default --prefix P` installs
#   P/bin/tessaro-import                   the command
#   P/lib/tessaro/tessaroimporter.so       the module, beside what a host would load
#   P/share/tessaro/profiles/              the host profiles
#   P/share/doc/tessaro-import/            README and docs
# and CPack makes a .tar.gz of that tree and a .deb that installs it under /usr.
#
# Windows (preset windows): the package is a .zip of the DLL a host loads and
# docs/windows.md, which tells where it goes.

if(WIN32)
  install(FILES $<TARGET_FILE:tessaroimporter> DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/windows.md DESTINATION .)
  set(CPACK_PACKAGE_NAME tessaroimporter)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "tessaroimporter-${PROJECT_VERSION}-windows-x64")
else()
  install(TARGETS tessaro-import RUNTIME DESTINATION ${TESSARO_INSTALL_BINDIR})
  install(TARGETS tessaroimporter LIBRARY DESTINATION ${TESSARO_INSTALL_MODULEDIR})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/refhost/profiles/
    DESTINATION ${TESSARO_INSTALL_PROFILEDIR} FILES_MATCHING PATTERN "*.json")
  file(GLOB TESSARO_DOCS ${PROJECT_SOURCE_DIR}/docs/*.md)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${TESSARO_DOCS}
    DESTINATION ${TESSARO_INSTALL_DOCDIR})

  set(CPACK_PACKAGE_NAME tessaro-import)
  set(CPACK_GENERATOR "TGZ;DEB")
  set(CPACK_PACKAGE_FILE_NAME "tessaro-import-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR}")
  set(CPACK_STRIP_FILES ON)
  # The .deb installs under /usr (the .tar.gz holds the tree itself); its dependencies are
  # those of the libraries the command and the module link (dpkg-shlibdeps: libsndfile,
  # libsoxr, FluidSynth, the C++ runtime); the render plays a soundfont, which it recommends.
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fluid-soundfont-gm | timgm6mb-soundfont")
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tessaro import maintainers <maintainers@tessaro-import.invalid>")
endif()

set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tessaro import maintainers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Imports Tessaro projects (.tsp) into Ombrel and Larkwin")
set(CPACK_PACKAGE_DESCRIPTION
  "The import filter tessaroimporter brings projects of the mobile music app Tessaro into \
the desktop audio workstations Ombrel and Larkwin. The command tessaro-import loads the \
module as a host does, imports projects into a reference host and reports each resulting \
project: one project in full, or many in one run, several at once.")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
include(CPack)
