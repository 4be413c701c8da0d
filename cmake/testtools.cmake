# What the tests and benchmarks need beyond the build: GoogleTest, Google Benchmark and a few
# programs (python3, xvfb-run, xdotool, ...). Without one, the suites that need it are left
# out and the configure ends with a list of them and why; with STARHOP_REQUIRE_TEST_TOOLS
# (./check, which installs everything) the same list stops the configure instead.

# starhop_left_out(SUITES REASON...): records that SUITES (a text naming them) are not built;
# the parts of REASON are joined.
function(starhop_left_out suites)
  string(JOIN "" reason ${ARGN})
  set_property(GLOBAL APPEND PROPERTY STARHOP_LEFT_OUT "${suites}: ${reason}")
endfunction()

# starhop_test_programs(RESULT SUITES program...): finds each program into the cache variable
# <PROGRAM>_PROGRAM (xvfb-run: XVFB_RUN_PROGRAM) and sets RESULT to whether all were found;
# the missing ones leave SUITES out.
function(starhop_test_programs result suites)
  set(missing)
  foreach(program ${ARGN})
    string(MAKE_C_IDENTIFIER "${program}" var)
    string(TOUPPER "${var}_PROGRAM" var)
    find_program(${var} ${program})
    if(NOT ${var})
      list(APPEND missing ${program})
    endif()
  endforeach()
  if(missing)
    list(JOIN missing ", " missing)
    starhop_left_out("${suites}" "${missing} not found")
    set(${result} FALSE PARENT_SCOPE)
  else()
    set(${result} TRUE PARENT_SCOPE)
  endif()
endfunction()

# At the end of the configure: what was left out, or an error under STARHOP_REQUIRE_TEST_TOOLS.
function(starhop_report_left_out)
  get_property(left GLOBAL PROPERTY STARHOP_LEFT_OUT)
  if(NOT left)
    return()
  endif()
  list(JOIN left "\n  " left)
  if(STARHOP_REQUIRE_TEST_TOOLS)
    message(FATAL_ERROR "STARHOP_REQUIRE_TEST_TOOLS is on and tests need what is missing "
      "(tools/setup.sh installs it):\n  ${left}")
  else()
    message(WARNING "Left out, because what they need is missing (tools/setup.sh installs it; "
      "-DSTARHOP_REQUIRE_TEST_TOOLS=ON makes this an error):\n  ${left}")
  endif()
endfunction()
