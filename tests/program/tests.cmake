# Whole programs on the engine, each run by its test in a child process of its own (the unit
# tests share one engine start, so they cannot see a program's start, end and status).
add_executable(program_test ${CMAKE_CURRENT_LIST_DIR}/program_test.cpp)
target_link_libraries(program_test PRIVATE algo GTest::gtest GTest::gtest_main)
add_test(NAME program_test COMMAND program_test)
set_tests_properties(program_test PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 300)
