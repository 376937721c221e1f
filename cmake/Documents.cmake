# The documents the packages ship, made at build time from what the tree
# holds already: on Windows the help page with its pictures inside it, on
# Linux vqpack's man page from its --help and --version and the README.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(_docs "${PROJECT_SOURCE_DIR}/docs")
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/docs/help")

if(WIN32)
  file(GLOB _pictures CONFIGURE_DEPENDS "${_docs}/*.png")
  set(VQ_HELP_PAGE "${CMAKE_BINARY_DIR}/docs/help/index.html")
  add_custom_command(OUTPUT "${VQ_HELP_PAGE}"
    COMMAND Python3::Interpreter "${_docs}/help/inline-pictures.py" "${_docs}/help/index.html"
      "${VQ_HELP_PAGE}"
    DEPENDS "${_docs}/help/index.html" "${_docs}/help/inline-pictures.py" ${_pictures}
    COMMENT "Writing the help page")
  add_custom_target(vq_help_page ALL DEPENDS "${VQ_HELP_PAGE}")
  install(FILES "${VQ_HELP_PAGE}" DESTINATION Help)
else()
  find_program(VQ_HELP2MAN help2man REQUIRED)
  set(VQ_MAN_PAGE "${CMAKE_BINARY_DIR}/docs/vqpack.1.gz")
  add_custom_command(OUTPUT "${VQ_MAN_PAGE}"
    COMMAND Python3::Interpreter "${_docs}/make-manpage.py" "${VQ_HELP2MAN}"
      "$<TARGET_FILE:vqpack>" "${VQ_SUMMARY}" "${PROJECT_SOURCE_DIR}/README.md"
      "${PROJECT_SOURCE_DIR}/LICENSE" "${VQ_MAN_PAGE}"
    DEPENDS vqpack "${_docs}/make-manpage.py" "${PROJECT_SOURCE_DIR}/README.md"
      "${PROJECT_SOURCE_DIR}/LICENSE"
    COMMENT "Writing vqpack's man page")
  add_custom_target(vq_man_page ALL DEPENDS "${VQ_MAN_PAGE}")
  install(FILES "${VQ_MAN_PAGE}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
endif()
