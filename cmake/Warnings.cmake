# Warnings live on one interface target, attached per target rather than globally.
add_library(mailweir_warnings INTERFACE)
target_compile_options(mailweir_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Wnon-virtual-dtor
    -Woverloaded-virtual -Werror)
target_compile_definitions(mailweir_warnings INTERFACE QT_NO_KEYWORDS)

# The program's own code writes out every conversion between bytes and text
# (fromLatin1 / toLatin1), which is what keeps 8-bit data intact. Tests may use plain literals.
add_library(mailweir_strict_text INTERFACE)
target_compile_definitions(mailweir_strict_text INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
