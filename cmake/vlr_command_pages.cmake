# Writes help2man's include file for vlr: a section with every command's own --help, so the man
# page lists the options of each command as the tool itself states them.
#   cmake -DVLR=path/to/vlr -DOUTPUT=file -P vlr_command_pages.cmake
execute_process(COMMAND ${VLR} --help OUTPUT_VARIABLE usage RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "vlr --help failed: ${status}")
endif()
# The command names: the first word of each line of the "Commands:" list.
string(REGEX REPLACE ".*\nCommands:\n" "" commands "${usage}")
string(REGEX REPLACE "\n\n.*" "" commands "${commands}")
string(REGEX MATCHALL "(^|\n)  [a-z]+" commands "${commands}")
set(page "[COMMANDS IN DETAIL]\n")
foreach(command IN LISTS commands)
    string(STRIP "${command}" command)
    execute_process(COMMAND ${VLR} ${command} --help
        OUTPUT_VARIABLE help RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "vlr ${command} --help failed: ${status}")
    endif()
    # Plain text as roff: backslashes escaped, no line read as a request.
    string(REPLACE "\\" "\\e" help "${help}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
    string(APPEND page ".SS \"vlr ${command}\"\n.nf\n${help}.fi\n")
endforeach()
file(WRITE ${OUTPUT} "${page}")
