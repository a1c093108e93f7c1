# Included by ctest after the soak's tests are listed: their time limit
# follows LUMIBENCH_SOAK_SECONDS as given to ctest, with the start-up, the
# kills and the next host's run on top.
set(soak_seconds 60)
if("$ENV{LUMIBENCH_SOAK_SECONDS}" MATCHES "^[0-9]+$")
  set(soak_seconds "$ENV{LUMIBENCH_SOAK_SECONDS}")
endif()
math(EXPR soak_timeout "${soak_seconds} + 240")
set_tests_properties(Soak.TwoHostsEightToolsLoseNothingAndSurviveAKilledHost PROPERTIES TIMEOUT ${soak_timeout})
