# Settings every project target takes: warnings as errors in our own code, static Windows
# executables, and the test helpers of both builds.

function(dialer_target target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-missing-field-initializers)
    if(WIN32)
        target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                     _WIN32_WINNT=0x0601 WINVER=0x0601)
    endif()
endfunction()

if(WIN32)
    # No DLL beyond Windows' own: the runtime, libstdc++ and winpthread go in statically.
    add_link_options(-static -static-libgcc -static-libstdc++)
    # Every function and datum in a section of its own, so the linker drops what nothing uses.
    add_compile_options(-ffunction-sections -fdata-sections)
    add_link_options(-Wl,--gc-sections)
    # The same source gives the same bytes in any folder: no link time stamp, no build paths.
    add_link_options(-Wl,--no-insert-timestamp)
    add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
    set(DIALER_WINENV ${CMAKE_SOURCE_DIR}/tools/wine/winenv)
    set(DIALER_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
    # The tree's programs run in a Wine prefix of their own architecture.
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
        file(WRITE ${DIALER_WINE_DIR}/arch "win64\n")
    else()
        file(WRITE ${DIALER_WINE_DIR}/arch "win32\n")
    endif()
    set(CMAKE_CROSSCOMPILING_EMULATOR ${DIALER_WINENV};--dir;${DIALER_WINE_DIR};exec)
    # What test scripts are told: the Wine environment, where the programs, the host tools and
    # the sources are, and the version the program shows in its title bar.
    set(DIALER_SCRIPT_ENVIRONMENT "DIALER_WINE_DIR=${DIALER_WINE_DIR};DIALER_BIN=${CMAKE_BINARY_DIR}/bin;DIALER_HOST_TOOLS=${DIALER_HOST_TOOLS};DIALER_SOURCE=${CMAKE_SOURCE_DIR};DIALER_VERSION=${DIALER_VERSION}")
elseif(DIALER_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()

# Windows test programs allocate through the test allocator (tests/win/support), which makes a
# read through a deleted object fail at once.
function(dialer_test_allocator target)
    if(WIN32)
        target_link_libraries(${target} PRIVATE test_allocator)
    endif()
endfunction()

# A GoogleTest executable and its test. Windows tests run under Wine inside one shared
# environment (the "wine" fixture); they run one at a time since they share the screen,
# the pointer and the keyboard focus.
function(dialer_gtest name)
    cmake_parse_arguments(arg "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${arg_SOURCES})
    dialer_target(${name})
    target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest GTest::gtest_main)
    dialer_test_allocator(${name})
    if(NOT arg_TIMEOUT)
        set(arg_TIMEOUT 300)
    endif()
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${arg_TIMEOUT})
    if(WIN32)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RUN_SERIAL ON)
    endif()
endfunction()

# A test script (bash) that needs the Wine environment; it gets the environment's variables.
function(dialer_wine_script name script)
    add_test(NAME ${name} COMMAND bash ${script} ${ARGN})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RUN_SERIAL ON TIMEOUT 600
        ENVIRONMENT "${DIALER_SCRIPT_ENVIRONMENT}")
endfunction()
