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
