# Configures the source afresh as a packager and scripts/run do and checks, without
# building, what the default build would make: only the program and its icon tool
# with the tests off (no test registered, GoogleTest not even looked for), and
# warnings as errors only when asked for.
# usage: cmake -DSOURCE=<tree> -DWORK=<folder> -DGENERATOR=<g> -DCXX=<compiler> -P build_switches.cmake
# options | what the default build links | the flag -Werror (yes/no)
foreach(case "-DBUILD_TESTING=OFF|iconscale;pipiron|no"
             "-DBUILD_TESTING=OFF;-DPIPIRON_WERROR=ON|iconscale;pipiron|yes")
  string(REGEX REPLACE "\\|.*" "" options "${case}")
  string(REGEX MATCH "\\|[^|]*\\|" linked "${case}")
  string(REPLACE "|" "" linked "${linked}")
  string(REGEX REPLACE ".*\\|" "" werror "${case}")
  file(REMOVE_RECURSE "${WORK}")
  execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${WORK}" -G "${GENERATOR}"
                          "-DCMAKE_CXX_COMPILER=${CXX}" -DCMAKE_BUILD_TYPE=Release ${options}
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${options}: configure failed\n${err}")
  endif()

  execute_process(COMMAND "${CMAKE_CTEST_COMMAND}" --test-dir "${WORK}" -N OUTPUT_VARIABLE tests)
  file(STRINGS "${WORK}/CMakeCache.txt" gtest REGEX "^GTest")
  if(NOT tests MATCHES "No tests were found|Total Tests: 0" OR gtest)
    message(FATAL_ERROR "${options}: tests configured\n${tests}${gtest}")
  endif()

  execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WORK}" -- -n OUTPUT_VARIABLE plan)
  string(REGEX MATCHALL "Linking CXX executable [^ \n]+" steps "${plan}")
  list(TRANSFORM steps REPLACE "Linking CXX executable " "")
  list(SORT steps)
  if(NOT steps STREQUAL linked)
    message(FATAL_ERROR "${options}: the default build links ${steps}, not ${linked}")
  endif()

  execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WORK}" -- -t commands pipiron
                  OUTPUT_VARIABLE commands)
  set(found yes)
  if(NOT commands MATCHES " -Werror ")
    set(found no)
  endif()
  if(NOT found STREQUAL werror)
    message(FATAL_ERROR "${options}: -Werror ${found}, ${werror} expected")
  endif()
endforeach()
