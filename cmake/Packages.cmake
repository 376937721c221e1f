# What `cmake --install` puts under its prefix and how CPack packs it. Linux:
# vqpack (the stub inside it), its man page and the licence as Debian's
# copyright file, packed as a .deb. Windows: the builder, vqpack, the help
# page and the README and licence as text, packed as a zip.
set(VQ_SUMMARY "pack a folder into a self-extracting 32-bit Windows executable")
include(GNUInstallDirs)
include(cmake/Documents.cmake)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/LICENSE")

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${VQ_SUMMARY}")
set(CPACK_PACKAGE_CONTACT "Varnoquist developers")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/packages")

if(WIN32)
  install(TARGETS vqbuilder vqpack RUNTIME DESTINATION .)
  # With Windows line ends, named so that a double-click opens them.
  foreach(_text README.md LICENSE)
    file(READ "${PROJECT_SOURCE_DIR}/${_text}" _content)
    string(REPLACE "\n" "\r\n" _content "${_content}")
    get_filename_component(_name "${_text}" NAME_WE)
    file(WRITE "${CMAKE_BINARY_DIR}/texts/${_name}.txt" "${_content}")
    install(FILES "${CMAKE_BINARY_DIR}/texts/${_name}.txt" DESTINATION .)
  endforeach()
  set(CPACK_GENERATOR ZIP)
else()
  install(TARGETS vqpack RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  install(FILES LICENSE DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/vqpack" RENAME copyright)
  # The long description is the README's opening paragraph.
  file(READ "${PROJECT_SOURCE_DIR}/README.md" _readme)
  string(REGEX MATCH "^#[^\n]*\n\n([^\n]+\n)+" _opening "${_readme}")
  string(REGEX REPLACE "^#[^\n]*\n\n" "" _opening "${_opening}")
  string(STRIP "${_opening}" CPACK_PACKAGE_DESCRIPTION)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME vqpack)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
