# One interface target carries the flags every Kestavon target shares.
add_library(kestavon_flags INTERFACE)
target_compile_options(kestavon_flags INTERFACE
    -Wall -Wextra -Wold-style-cast -Wnon-virtual-dtor)
target_compile_definitions(kestavon_flags INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CONTEXTLESS_CONNECT)

if(KESTAVON_SANITIZE STREQUAL "address")
    target_compile_options(kestavon_flags INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(kestavon_flags INTERFACE -fsanitize=address,undefined)
elseif(KESTAVON_SANITIZE STREQUAL "thread")
    target_compile_options(kestavon_flags INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(kestavon_flags INTERFACE -fsanitize=thread)
    # Every program carries the checker's settings, and starts its children
    # in a way the checker handles (see the source).
    configure_file(${CMAKE_CURRENT_LIST_DIR}/ThreadSanitizerProgram.cpp.in
        ${CMAKE_BINARY_DIR}/generated/ThreadSanitizerProgram.cpp @ONLY)
    target_sources(kestavon_flags INTERFACE
        $<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:${CMAKE_BINARY_DIR}/generated/ThreadSanitizerProgram.cpp>)
elseif(NOT KESTAVON_SANITIZE STREQUAL "")
    message(FATAL_ERROR "KESTAVON_SANITIZE must be empty, address or thread")
endif()

# The version header, made from the project's declaration, for the targets
# that report it.
configure_file(${CMAKE_CURRENT_LIST_DIR}/kestavonversion.h.in
    ${CMAKE_BINARY_DIR}/generated/kestavonversion.h @ONLY)
add_library(kestavon_version INTERFACE)
target_include_directories(kestavon_version INTERFACE ${CMAKE_BINARY_DIR}/generated)

# Coverage feedback for libFuzzer in every library a fuzz target links; the
# fuzz targets themselves add the fuzzer's main (fuzz/CMakeLists.txt).
if(KESTAVON_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(kestavon_flags INTERFACE -fsanitize=fuzzer-no-link)
endif()
