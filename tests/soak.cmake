# The wrap soak: doorlock-replay runs tests/soak/wrap_soak.scn, a whole 2^32 ms
# of virtual time (over 21 million passes) with the lock in regular use, and
# must end with status 0: every expect line in it held. Its transcript is
# large and has no checked-in copy, so it is thrown away.
add_test(NAME WrapSoakHoldsEveryExpectAcrossAWhole2To32Ms
         COMMAND ${CMAKE_COMMAND} "-DPROGRAM=$<TARGET_FILE:doorlock-replay>"
                 "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
                 "-DSCENARIO=${CMAKE_CURRENT_SOURCE_DIR}/soak/wrap_soak.scn"
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/soak/run_quietly.cmake)
# Well under a second in an optimised build; the sanitizer build is slower.
set_tests_properties(WrapSoakHoldsEveryExpectAcrossAWhole2To32Ms PROPERTIES TIMEOUT 900)
