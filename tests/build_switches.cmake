# Configures the source as a packager and scripts/run do and checks, without
# building, what the default build of any generator would make: only the program
# and its icon tool with the tests off (no test registered, GoogleTest not even
# looked for), warnings as errors only when asked for, and the program's folder
# under the library folder unless one is given, also after a re-configure with
# another library folder.
# usage: cmake -DSOURCE=<tree> -DWORK=<folder> -DGENERATOR=<g> -DCXX=<compiler> -P build_switches.cmake
cmake_minimum_required(VERSION 3.25)
# options ("+" first: re-configure the tree before) | -Werror (yes/no) | program's folder
foreach(case "-DBUILD_TESTING=OFF;-DCMAKE_INSTALL_LIBDIR=lib|no|lib/pipiron"
             "+;-DCMAKE_INSTALL_LIBDIR=lib/x86_64-linux-gnu|no|lib/x86_64-linux-gnu/pipiron"
             "-DBUILD_TESTING=OFF;-DPIPIRON_WERROR=ON;-DPIPIRON_INSTALL_DIR=opt/pipiron|yes|opt/pipiron"
             "+;-DCMAKE_INSTALL_LIBDIR=lib64|yes|opt/pipiron")
  string(REGEX MATCH "^(\\+;)?([^|]*)\\|([^|]*)\\|([^|]*)$" case "${case}")
  set(options "${CMAKE_MATCH_2}")
  set(werror "${CMAKE_MATCH_3}")
  set(folder "${CMAKE_MATCH_4}")
  if(NOT CMAKE_MATCH_1)
    file(REMOVE_RECURSE "${WORK}")
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${WORK}" -G "${GENERATOR}"
                          "-DCMAKE_CXX_COMPILER=${CXX}" -DCMAKE_BUILD_TYPE=Release
                          "-DCMAKE_PROJECT_INCLUDE=${CMAKE_CURRENT_LIST_DIR}/default_build.cmake"
                          ${options}
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${options}: configure failed\n${err}")
  endif()

  execute_process(COMMAND "${CMAKE_CTEST_COMMAND}" --test-dir "${WORK}" -N OUTPUT_VARIABLE tests)
  file(STRINGS "${WORK}/CMakeCache.txt" gtest REGEX "^GTest")
  if(NOT tests MATCHES "No tests were found|Total Tests: 0" OR gtest)
    message(FATAL_ERROR "${options}: tests configured\n${tests}${gtest}")
  endif()

  include("${WORK}/default-build.cmake")
  if(NOT made STREQUAL "iconscale;pipiron")
    message(FATAL_ERROR "${options}: the default build makes ${made}, not iconscale;pipiron")
  endif()
  set(found no)
  if("-Werror" IN_LIST compile_options)
    set(found yes)
  endif()
  if(NOT found STREQUAL werror)
    message(FATAL_ERROR "${options}: -Werror ${found}, ${werror} expected")
  endif()

  # Where the generated install script puts the program.
  file(STRINGS "${WORK}/app/cmake_install.cmake" install REGEX "TYPE EXECUTABLE")
  if(NOT install MATCHES "DESTINATION \"\\\${CMAKE_INSTALL_PREFIX}/${folder}\" TYPE EXECUTABLE")
    message(FATAL_ERROR "${options}: the program is not installed to ${folder}: ${install}")
  endif()
endforeach()
