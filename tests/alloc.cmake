# The no-heap check: a test program of its own, since it replaces the global
# allocation functions with counting ones.
if(UNIX)
  add_executable(doorlock_alloc_tests alloc/alloc_test.cpp)
  target_link_libraries(doorlock_alloc_tests PRIVATE doorlock_scripted GTest::gtest GTest::gtest_main)
  gtest_discover_tests(doorlock_alloc_tests)
endif()
