# Each program names itself and the build's version on --version and answers --help, with no
# display: velaron answers both before it needs a window system.
#   cmake -DVERSION=1.0 -DCOMMIT=<commit or empty> -DPROGRAMS="path;path" -P programs_version.cmake
foreach(program IN LISTS PROGRAMS)
    get_filename_component(name ${program} NAME)
    set(expected "${name} (Velaron Link) ${VERSION}\n")
    if(COMMIT)
        string(APPEND expected "Commit ${COMMIT}\n")
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
            --unset=QT_QPA_PLATFORM ${program} --version
        OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT out STREQUAL expected)
        message(SEND_ERROR "${name} --version: status ${status}, printed '${out}' '${err}', "
            "expected '${expected}'")
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
            --unset=QT_QPA_PLATFORM ${program} --help
        OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT out MATCHES "^Usage: ${name} " OR NOT out MATCHES "--version")
        message(SEND_ERROR "${name} --help: status ${status}, printed '${out}' '${err}'")
    endif()
endforeach()
