# The engine guide quotes the minimal program and the engine's messages as the code has them.
starhop_test_programs(found guide_check python3)
if(found)
  add_test(NAME guide_check
    COMMAND ${PYTHON3_PROGRAM} ${CMAKE_CURRENT_LIST_DIR}/guide_check.py ${PROJECT_SOURCE_DIR})
endif()

# The API reference: every public member of the installed headers has a /// comment, so
# doxygen (docs/Doxyfile, as `ninja docs` runs it) warns of nothing.
starhop_test_programs(found api_reference python3 doxygen)
if(found)
  add_test(NAME api_reference
    COMMAND ${PYTHON3_PROGRAM} ${CMAKE_CURRENT_LIST_DIR}/reference_check.py ${DOXYGEN_PROGRAM}
      ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/api_reference)
endif()
