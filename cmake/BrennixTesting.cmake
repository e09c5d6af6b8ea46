# Test helpers. Every test is registered in the native configuration; tests that run Windows
# programs point at the cross-compiled build in BRENNIX_WIN_BUILD_DIR, or where the machine runs
# no 32-bit programs at its 64-bit twin in BRENNIX_WIN64_BUILD_DIR (tests/wine/machine-check.sh),
# and run under Wine with the private prefixes that the "wine" fixture makes once per test run.
include(CMakeParseArguments)

set(BRENNIX_WIN_BUILD_DIR "${CMAKE_BINARY_DIR}/../win" CACHE PATH "The cross-compiled build (native configuration)")
set(BRENNIX_WIN64_BUILD_DIR "${CMAKE_BINARY_DIR}/../win64" CACHE PATH "Its 64-bit twin (native configuration)")
set(BRENNIX_WINE_STATE_DIR "${CMAKE_BINARY_DIR}/wine" CACHE PATH "Wine prefixes and display of the test run")
set(BRENNIX_FUZZ_SECONDS 20 CACHE STRING "Default run time of each fuzz test, in seconds")
# (make fuzz FUZZ_SECONDS=N runs every fuzz test for N seconds instead: tests/support/run_fuzzer.sh)

if(CMAKE_CROSSCOMPILING)
    # GoogleTest from Debian's sources, built for Windows; it brings its own Win32 threading.
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    foreach(library gtest gtest_main)
        target_compile_definitions(${library} PUBLIC GTEST_HAS_NOTIFICATION_=1)
        target_compile_options(${library} PUBLIC -include ${PROJECT_SOURCE_DIR}/tests/support/GtestWin32Notification.h)
    endforeach()
else()
    find_package(GTest REQUIRED)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        set(BRENNIX_FUZZING ON)
    endif()
endif()

# A program's path inside the Windows build (the same in its 64-bit twin).
function(_brennix_win_relative_path out name)
    file(RELATIVE_PATH rel ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR})
    set(${out} "${rel}/${name}.exe" PARENT_SCOPE)
endfunction()

# A test that runs Windows programs; skipped (exit 77) where the machine cannot run them.
function(_brennix_wine_properties test gui)
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine SKIP_RETURN_CODE 77)
    if(gui)
        set_tests_properties(${test} PROPERTIES RESOURCE_LOCK display)
    endif()
endfunction()

# A native GoogleTest program over the platform-free logic.
function(brennix_unit_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    if(CMAKE_CROSSCOMPILING)
        return()
    endif()
    add_executable(unit_${name} ${ARG_SOURCES})
    target_link_libraries(unit_${name} PRIVATE brennix_logic ${ARG_LIBS} GTest::gtest_main)
    add_test(NAME unit.${name} COMMAND unit_${name})
endfunction()

# A Windows GoogleTest program linked with the stub's code, run under Wine. NEEDS_32_BIT_PROGRAMS
# says why the test means the 32-bit build only; it is skipped where only the 64-bit twin runs.
function(brennix_wine_test name)
    cmake_parse_arguments(ARG "GUI" "ARCH;NEEDS_32_BIT_PROGRAMS" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_ARCH)
        set(ARG_ARCH win32)
    endif()
    if(CMAKE_CROSSCOMPILING)
        add_executable(wine_${name} ${ARG_SOURCES})
        target_link_libraries(wine_${name} PRIVATE brennix_win ${ARG_LIBS} gtest gtest_main)
        return()
    endif()
    _brennix_win_relative_path(exe wine_${name})
    set(display_option "")
    if(ARG_GUI)
        set(display_option --gui)
    endif()
    add_test(NAME wine.${name}
             COMMAND ${PROJECT_SOURCE_DIR}/tests/wine/run.sh ${display_option} ${BRENNIX_WINE_STATE_DIR} ${ARG_ARCH}
                     ${BRENNIX_WIN_BUILD_DIR} ${BRENNIX_WIN64_BUILD_DIR} ${exe})
    set(environment "BRENNIX_WIN_BUILD_DIR=${BRENNIX_WIN_BUILD_DIR}" "BRENNIX_WIN64_BUILD_DIR=${BRENNIX_WIN64_BUILD_DIR}")
    if(ARG_NEEDS_32_BIT_PROGRAMS)
        list(APPEND environment "BRENNIX_NEEDS_32_BIT_PROGRAMS=${ARG_NEEDS_32_BIT_PROGRAMS}")
    endif()
    set_tests_properties(wine.${name} PROPERTIES ENVIRONMENT "${environment}")
    _brennix_wine_properties(wine.${name} "${ARG_GUI}")
endfunction()

# A Windows program that tests start (the launcher, the test payload); placed in bin/.
function(brennix_windows_program name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
    if(NOT CMAKE_CROSSCOMPILING)
        return()
    endif()
    if(ARG_GUI)
        add_executable(${name} WIN32 ${ARG_SOURCES})
    else()
        add_executable(${name} ${ARG_SOURCES})
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    # Wide entry points (wmain, wWinMain).
    target_link_options(${name} PRIVATE -municode)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endfunction()

# A libFuzzer target (clang, address and undefined-behaviour sanitizers), run for a bounded time.
function(brennix_fuzz_test name)
    cmake_parse_arguments(ARG "" "SECONDS" "SOURCES;LIBS" ${ARGN})
    if(CMAKE_CROSSCOMPILING OR NOT BRENNIX_FUZZING)
        return()
    endif()
    if(NOT ARG_SECONDS)
        set(ARG_SECONDS ${BRENNIX_FUZZ_SECONDS})
    endif()
    add_executable(fuzz_${name} ${ARG_SOURCES})
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(fuzz_${name} PRIVATE brennix_logic_fuzz ${ARG_LIBS})
    set(corpus ${CMAKE_CURRENT_BINARY_DIR}/fuzz_${name}_corpus)
    file(MAKE_DIRECTORY ${corpus})
    # Inputs that once crashed the target are kept in the sources and read before every run.
    set(regression ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_regression/${name})
    if(NOT EXISTS ${regression})
        set(regression "")
    endif()
    add_test(NAME fuzz.${name}
             COMMAND ${PROJECT_SOURCE_DIR}/tests/support/run_fuzzer.sh ${ARG_SECONDS} $<TARGET_FILE:fuzz_${name}>
                     ${corpus} ${regression})
endfunction()

# A python end-to-end test (unittest) using tests/e2e/harness.py. PYTHON names the interpreter
# when the test needs Debian's python3-* modules, which only Debian's own /usr/bin/python3 sees.
function(brennix_e2e_test name)
    cmake_parse_arguments(ARG "GUI" "SCRIPT;TIMEOUT;PYTHON" "" ${ARGN})
    if(CMAKE_CROSSCOMPILING)
        return()
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 900)
    endif()
    if(NOT ARG_PYTHON)
        set(ARG_PYTHON python3)
    endif()
    add_test(NAME e2e.${name}
             COMMAND ${ARG_PYTHON} ${PROJECT_SOURCE_DIR}/tests/e2e/run_e2e.py ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_SCRIPT})
    set_tests_properties(e2e.${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "PYTHONPATH=${PROJECT_SOURCE_DIR}/tests/e2e;BRENNIX_SOURCE_DIR=${PROJECT_SOURCE_DIR};BRENNIX_NATIVE_BUILD_DIR=${CMAKE_BINARY_DIR};BRENNIX_WIN_BUILD_DIR=${BRENNIX_WIN_BUILD_DIR};BRENNIX_WIN64_BUILD_DIR=${BRENNIX_WIN64_BUILD_DIR};BRENNIX_WINE_STATE_DIR=${BRENNIX_WINE_STATE_DIR}")
    _brennix_wine_properties(e2e.${name} "${ARG_GUI}")
endfunction()
