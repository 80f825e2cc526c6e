cmake_minimum_required(VERSION 3.25)
# Writes help2man's include file for PROGRAM: the fixed sections in SOURCE, then, when the
# program has commands (a "Commands:" list in its --help), a COMMANDS section with each
# command's own --help, so every option of every command is in the manual page.
# Variables: PROGRAM, SOURCE, OUTPUT.
file(READ "${SOURCE}" text)
set(ENV{ASAN_OPTIONS} detect_leaks=0)
execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed: ${status}")
endif()

# Roff reads a backslash as an escape, and a line starting with a dot or quote as a request.
function(as_roff input output)
    string(REPLACE "\\" "\\e" input "${input}")
    string(REPLACE "-" "\\-" input "${input}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" input "${input}")
    set(${output} "${input}" PARENT_SCOPE)
endfunction()

string(FIND "${help}" "\nCommands:\n" start)
if(start GREATER_EQUAL 0)
    string(SUBSTRING "${help}" ${start} -1 list)
    string(REGEX MATCHALL "\n  [a-z][-a-z]*  " commands "${list}")
    string(APPEND text "[COMMANDS]\n")
    foreach(command IN LISTS commands)
        string(STRIP "${command}" command)
        if(command STREQUAL "help")
            continue()
        endif()
        execute_process(COMMAND "${PROGRAM}" ${command} --help
            OUTPUT_VARIABLE usage RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "${PROGRAM} ${command} --help failed: ${status}")
        endif()
        string(STRIP "${usage}" usage)
        as_roff("${usage}" usage)
        string(APPEND text ".SS ${command}\n.nf\n${usage}\n.fi\n")
    endforeach()
endif()
file(WRITE "${OUTPUT}" "${text}")
