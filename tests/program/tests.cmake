# Whole programs on the engine, each run by its test in a child process of its own (the unit
# tests share one engine start, so they cannot see a program's start, end and status).
starhop_gtest(program_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/program_test.cpp GTEST_MAIN)
