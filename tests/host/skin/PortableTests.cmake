# The portable skin tests, built by the host build and by the cross build (run under Wine).
set(skin_portable_test_sources
    ${CMAKE_CURRENT_LIST_DIR}/PlainLzh.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LzhDecodeTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SkinReaderTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RoundTripTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QuickIniTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SkinColourTest.cpp
)
