# kestavon_add_test(NAME SOURCES ... LIBS ...)
#
# Every test runs in a network namespace of its own that holds only loopback, so
# the fixed ports of the protocol (10013 to 10017) never collide between tests
# running in parallel, and no datagram can leave the machine.
set(KESTAVON_NETNS_RUN ${CMAKE_SOURCE_DIR}/scripts/netns-run)

function(kestavon_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE kestavon_flags kestavon_testsupport Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${KESTAVON_NETNS_RUN} $<TARGET_FILE:${name}>)
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
