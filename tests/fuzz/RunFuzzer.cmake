# One short, reproducible fuzzing run: cmake -DFUZZER=... -DNEW_UNITS=...
# -DARTIFACTS=... -DSEEDS=... -DRUNS=... -P RunFuzzer.cmake
file(REMOVE_RECURSE ${NEW_UNITS})
file(MAKE_DIRECTORY ${NEW_UNITS} ${ARTIFACTS})
execute_process(
    COMMAND ${FUZZER} -runs=${RUNS} -seed=1 -timeout=10 -rss_limit_mb=2048
            -artifact_prefix=${ARTIFACTS}/ ${NEW_UNITS} ${SEEDS}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} failed (${result}); the input is kept in ${ARTIFACTS}")
endif()
