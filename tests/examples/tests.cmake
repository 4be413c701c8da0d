# The examples, each run headless from key scripts through a harness linked with its own code
# (its main renamed), and judged by what a user would see: screen pixels, files, log lines.
get_property(EXAMPLES GLOBAL PROPERTY ALGO_EXAMPLES)
if(NOT EXAMPLES)
  return()
endif()
starhop_test_programs(found "example_*" python3)
if(found)
  foreach(name ${EXAMPLES})
    get_target_property(srcs example_${name} EXAMPLE_SOURCES)
    get_target_property(dir example_${name} EXAMPLE_DIR)
    add_library(example_${name}_code OBJECT ${srcs})
    target_link_libraries(example_${name}_code PRIVATE algo)
    target_compile_definitions(example_${name}_code PRIVATE main=exampleMain)
    add_executable(example_${name}_run ${CMAKE_CURRENT_LIST_DIR}/harness.cpp
      $<TARGET_OBJECTS:example_${name}_code>)
    target_link_libraries(example_${name}_run PRIVATE algo)
    target_include_directories(example_${name}_run PRIVATE ${PROJECT_SOURCE_DIR})
    add_dependencies(example_${name}_run example_${name})  # and its data
    add_test(NAME example_${name}
      COMMAND ${PYTHON3_PROGRAM} ${CMAKE_CURRENT_LIST_DIR}/examples.py
        --run $<TARGET_FILE:example_${name}_run> --dir ${dir}
        --source ${PROJECT_SOURCE_DIR}/examples/${name} ${name})
    set_tests_properties(example_${name} PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 600)
  endforeach()
endif()

# The programs themselves, each in a real window on a virtual X server, ended by a real
# Escape key press.
starhop_test_programs(found "example_*_window" python3 xvfb-run xdotool)
if(found)
  set(EXAMPLE_WINDOW_ENV ${WINDOW_ENV} XDOTOOL=${XDOTOOL_PROGRAM})
  foreach(name ${EXAMPLES})
    get_target_property(dir example_${name} EXAMPLE_DIR)
    add_test(NAME example_${name}_window
      COMMAND ${XVFB_RUN_PROGRAM} -a -s "-screen 0 800x600x24"
        ${PYTHON3_PROGRAM} ${CMAKE_CURRENT_LIST_DIR}/examples.py
        --run $<TARGET_FILE:example_${name}_run> --dir ${dir}
        --source ${PROJECT_SOURCE_DIR}/examples/${name}
        --window $<TARGET_FILE:example_${name}> ${name})
    set_tests_properties(example_${name}_window PROPERTIES ENVIRONMENT "${EXAMPLE_WINDOW_ENV}"
      TIMEOUT 120)
  endforeach()
endif()
