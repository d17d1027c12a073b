# One bounded fuzz run as a test: a fresh working corpus first (libFuzzer writes new inputs
# there), the committed seeds second (only read), crash files next to the working corpus.
# Fails when the fuzzer finds a crash, leak, timeout or broken check.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/crashes")
execute_process(
  COMMAND "${FUZZER}" ${OPTIONS} -print_final_stats=1 "-artifact_prefix=${WORK}/crashes/"
          "${WORK}/corpus" "${SEEDS}"
  WORKING_DIRECTORY "${WORK}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(GLOB found "${WORK}/crashes/*")
  message(FATAL_ERROR "${FUZZER} failed (${result}); reproduce with: ${FUZZER} ${found}")
endif()
