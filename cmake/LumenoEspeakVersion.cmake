# SPDX-License-Identifier: GPL-3.0-or-later
# lumeno_espeak_data_dependency(<out-var>)
# The espeak-ng-data dependency that matches the espeak-ng linked into the engine. espeak-ng
# is linked statically, so its voice and dictionary data must come from the same upstream
# version: at least the Debian version of the archive linked in, and below the next upstream
# release (whose data may differ in format). Without dpkg, the version pkg-config reports.
function(lumeno_espeak_data_dependency out)
  set(debian_version "")
  find_program(LUMENO_DPKG dpkg)
  find_program(LUMENO_DPKG_QUERY dpkg-query)
  if(LUMENO_DPKG AND LUMENO_DPKG_QUERY)
    execute_process(COMMAND ${LUMENO_DPKG} -S ${LUMENO_ESPEAK_NG_ARCHIVE}
      OUTPUT_VARIABLE owner RESULT_VARIABLE failed ERROR_QUIET)
    string(REGEX REPLACE ":.*" "" owner "${owner}")
    if(NOT failed AND owner)
      execute_process(COMMAND ${LUMENO_DPKG_QUERY} -W -f=\${Version} ${owner}
        OUTPUT_VARIABLE debian_version RESULT_VARIABLE failed ERROR_QUIET)
      if(failed)
        set(debian_version "")
      endif()
    endif()
  endif()
  find_package(PkgConfig REQUIRED)
  execute_process(COMMAND ${PKG_CONFIG_EXECUTABLE} --modversion espeak-ng
    OUTPUT_VARIABLE upstream OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed OR NOT upstream MATCHES "^([0-9]+)\\.([0-9]+)")
    message(FATAL_ERROR "cannot tell the version of espeak-ng (pkg-config --modversion espeak-ng: \"${upstream}\")")
  endif()
  math(EXPR next_minor "${CMAKE_MATCH_2} + 1")
  set(next "${CMAKE_MATCH_1}.${next_minor}~")
  if(NOT debian_version)
    set(debian_version ${upstream})
  endif()
  set(${out} "espeak-ng-data (>= ${debian_version}), espeak-ng-data (<< ${next})" PARENT_SCOPE)
endfunction()
