# Writes the bash completion of lorvane-cli: the template IN with the program's own word lists
# (CLI --completion-words) in place of @LORVANE_CLI_WORDS@, to OUT.
# In a sanitizer build a leak report at exit is the tests' business, not the build's.
set(ENV{ASAN_OPTIONS} "detect_leaks=0")
execute_process(COMMAND "${CLI}" --completion-words RESULT_VARIABLE rc OUTPUT_VARIABLE LORVANE_CLI_WORDS
                ERROR_VARIABLE err)
if(rc OR NOT LORVANE_CLI_WORDS MATCHES "^commands ")
    message(FATAL_ERROR "${CLI} --completion-words failed: ${err}")
endif()
string(STRIP "${LORVANE_CLI_WORDS}" LORVANE_CLI_WORDS)
configure_file("${IN}" "${OUT}" @ONLY)
