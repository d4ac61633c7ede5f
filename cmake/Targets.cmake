# mailweir_room(NAME SOURCES... [DEPENDS libs...]) : one static library per room of src/.
function(mailweir_room name)
    cmake_parse_arguments(ROOM "" "" "SOURCES;DEPENDS" ${ARGN})
    add_library(${name} STATIC ${ROOM_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ROOM_DEPENDS} mailweir_sanitizers
                          PRIVATE mailweir_warnings mailweir_strict_text)
endfunction()

# mailweir_test(NAME SOURCES... LIBS libs... [LAUNCHER command...]) : one QtTest executable
# registered with CTest, run through LAUNCHER when given.
function(mailweir_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS;LAUNCHER" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test mailweir_test_support
                          mailweir_warnings mailweir_sanitizers)
    add_test(NAME ${name} COMMAND ${T_LAUNCHER} $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0"
        LABELS "${T_LABELS}")
endfunction()
