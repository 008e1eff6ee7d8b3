# The terminal: the real doorlock program run in a pseudo-terminal (Linux only).

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  add_executable(terminal_tests terminal_pty.cpp)
  target_link_libraries(terminal_tests PRIVATE GTest::gtest GTest::gtest_main util)
  target_compile_definitions(terminal_tests PRIVATE DOORLOCK_PROGRAM="$<TARGET_FILE:doorlock>")
  add_dependencies(terminal_tests doorlock)
  gtest_discover_tests(terminal_tests PROPERTIES TIMEOUT 60)
endif()
