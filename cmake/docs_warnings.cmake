# Fails the 'docs' target when doxygen warned (an undocumented public
# declaration, a broken reference): the reference must cover every public name.
file(READ "${LOG}" warnings)
if(NOT warnings STREQUAL "")
  message("${warnings}")
  string(REGEX MATCHALL "warning:" count "${warnings}")
  list(LENGTH count n)
  message(FATAL_ERROR "${n} documentation warning(s); see ${LOG}")
endif()
message(STATUS "HTML reference: no documentation warnings")
