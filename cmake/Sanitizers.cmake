add_library(mailweir_sanitizers INTERFACE)
if(MAILWEIR_SANITIZE)
    target_compile_options(mailweir_sanitizers INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(mailweir_sanitizers INTERFACE -fsanitize=address,undefined)
    if(MAILWEIR_FUZZ)
        # Coverage for the fuzz targets in the code they reach.
        target_compile_options(mailweir_sanitizers INTERFACE -fsanitize=fuzzer-no-link)
    endif()
endif()

# mailweir_room(NAME SOURCES... [DEPENDS libs...]) : one static library per room of src/.
function(mailweir_room name)
    cmake_parse_arguments(ROOM "" "" "SOURCES;DEPENDS" ${ARGN})
    set(compiled ${ROOM_SOURCES})
    list(FILTER compiled INCLUDE REGEX "\\.cpp$")
    if(NOT compiled)
        # A room that so far holds headers only.
        add_library(${name} INTERFACE ${ROOM_SOURCES})
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE ${ROOM_DEPENDS})
        return()
    endif()
    add_library(${name} STATIC ${ROOM_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ROOM_DEPENDS} mailweir_sanitizers
                          PRIVATE mailweir_warnings mailweir_strict_text)
endfunction()

# mailweir_test(NAME SOURCES... LIBS libs...) : one QtTest executable registered with CTest.
function(mailweir_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test mailweir_test_support
                          mailweir_warnings mailweir_sanitizers)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0"
        LABELS "${T_LABELS}")
endfunction()
