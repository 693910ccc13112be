# The portable skin tests, built by the host build and by the cross build (run under Wine).
set(skin_portable_test_sources
    ${CMAKE_CURRENT_LIST_DIR}/PlainLzh.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LzhDecodeTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SkinReaderTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RoundTripTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QuickIniTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SkinColourTest.cpp
)

# The default skin as built by skins/, checked in whichever build runs the tests.
function(skin_default_skin_test name)
    set(file ${DIALER_DEFAULT_SKIN})
    set(payload ${DIALER_DEFAULT_SKIN_PAYLOAD})
    if(WIN32)
        # Wine sees the build tree through drive Z:.
        set(file Z:${file})
        set(payload Z:${payload})
    endif()
    dialer_gtest(${name} SOURCES ${CMAKE_SOURCE_DIR}/tests/host/skin/DefaultSkinTest.cpp
                 LIBS skin_core)
    target_compile_definitions(${name} PRIVATE DIALER_SKIN_FILE="${file}"
                                               DIALER_SKIN_PAYLOAD="${payload}")
    add_dependencies(${name} default_skin)
endfunction()
