# Man pages made at build time from the programs' own --help and --version, so they follow the
# options; compressed as Debian's policy wants them installed (gzip -9n: no name, no time).
find_program(VLR_HELP2MAN help2man REQUIRED)
find_program(VLR_GZIP gzip REQUIRED)
include(GNUInstallDirs)

# Dated by the commit, not by the day of the build.
set(man_date)
if(VLR_COMMIT_TIME)
    set(man_date ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VLR_COMMIT_TIME})
endif()
# vlr's commands each state their options in their own --help: the page includes them all.
set(vlr_man_include ${PROJECT_BINARY_DIR}/man/vlr-commands.h2m)
add_custom_command(OUTPUT ${vlr_man_include}
    COMMAND ${CMAKE_COMMAND} -DVLR=$<TARGET_FILE:vlr> -DOUTPUT=${vlr_man_include}
        -P ${CMAKE_CURRENT_LIST_DIR}/vlr_command_pages.cmake
    DEPENDS vlr ${CMAKE_CURRENT_LIST_DIR}/vlr_command_pages.cmake
    VERBATIM)

set(man_pages)
foreach(page IN ITEMS
        "velaron|the desktop program of Velaron Link"
        "vlr|the command-line tool of Velaron Link"
        "vlr-sim|an instrument simulator on a pseudo-terminal, for Velaron Link")
    string(REPLACE "|" ";" page "${page}")
    list(GET page 0 program)
    list(GET page 1 summary)
    set(output ${PROJECT_BINARY_DIR}/man/${program}.1)
    set(include)
    set(include_option)
    if(DEFINED ${program}_man_include)
        set(include ${${program}_man_include})
        set(include_option --include=${include})
    endif()
    add_custom_command(OUTPUT ${output}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        COMMAND ${man_date} ${VLR_HELP2MAN} --no-info --section=1 --name=${summary}
            ${include_option} --output=${output} $<TARGET_FILE:${program}>
        COMMAND ${VLR_GZIP} -9nf ${output}
        DEPENDS ${program} ${include}
        COMMENT "Making the man page of ${program}"
        VERBATIM)
    list(APPEND man_pages ${output}.gz)
endforeach()
add_custom_target(vlr_man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
