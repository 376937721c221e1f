# Builds the extractor stub in the win32 build tree for a native build that
# embeds it: configures that tree first when it does not exist yet.
#   cmake -DSOURCE_DIR=... -DWIN32_DIR=... -P fetch_stub.cmake
if(NOT EXISTS "${WIN32_DIR}/CMakeCache.txt")
  message(STATUS "Configuring ${WIN32_DIR} to build the extractor stub")
  execute_process(COMMAND "${CMAKE_COMMAND}" --preset win32 -S "${SOURCE_DIR}" -B "${WIN32_DIR}"
    RESULT_VARIABLE result OUTPUT_QUIET)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Cannot configure the win32 tree ${WIN32_DIR} for the extractor stub: "
      "run 'cmake --preset win32' (and scripts/setup.sh) first, or set VQ_STUB_EXE")
  endif()
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WIN32_DIR}" --target vqstub
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Building the extractor stub in ${WIN32_DIR} failed")
endif()
