# vq_check_windows_imports(TARGET): the build fails when a shipped Windows
# program imports a DLL that does not ship with Windows (a missing
# libgcc_s_dw2-1.dll or libstdc++-6.dll stops it from starting). The stamp
# is written only when the check passes, so a failed check runs again.
function(vq_check_windows_imports target)
  set(_stamp "${CMAKE_CURRENT_BINARY_DIR}/${target}.imports-checked")
  add_custom_command(OUTPUT "${_stamp}"
    COMMAND "${CMAKE_COMMAND}" -E env "OBJDUMP=${CMAKE_OBJDUMP}"
      "${PROJECT_SOURCE_DIR}/cmake/check_imports.sh" "$<TARGET_FILE:${target}>"
    COMMAND "${CMAKE_COMMAND}" -E touch "${_stamp}"
    DEPENDS ${target} "$<TARGET_FILE:${target}>" "${PROJECT_SOURCE_DIR}/cmake/check_imports.sh"
    COMMENT "Checking the DLLs ${target} imports"
    VERBATIM)
  add_custom_target(${target}_imports ALL DEPENDS "${_stamp}")
endfunction()
