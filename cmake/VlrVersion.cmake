# The programs' one version: the project's number, and the commit when the sources are a git
# checkout of their own. The commit is read at configure time; a new commit reconfigures the
# build, so a program never names a commit other than the one it was built from.
set(VLR_COMMIT "")
set(VLR_COMMIT_TIME "")
find_package(Git QUIET)
if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --show-toplevel --short=12 HEAD
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        OUTPUT_VARIABLE git_answer OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE git_status ERROR_QUIET)
    string(REPLACE "\n" ";" git_answer "${git_answer}")
    list(LENGTH git_answer git_lines)
    if(git_status EQUAL 0 AND git_lines EQUAL 2)
        list(GET git_answer 0 git_top)
    endif()
    # Sources unpacked inside some other repository are not that repository's commit.
    if(DEFINED git_top AND git_top STREQUAL PROJECT_SOURCE_DIR)
        list(GET git_answer 1 VLR_COMMIT)
        # The commit's time dates what is generated from it (man pages, the changelog), so two
        # builds of one commit make the same files.
        execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct HEAD
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE VLR_COMMIT_TIME OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        # HEAD moves, or the branch it names does (a loose or a packed ref).
        execute_process(COMMAND ${GIT_EXECUTABLE} symbolic-ref -q HEAD
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE git_branch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        set(git_watched HEAD packed-refs ${git_branch})
        list(TRANSFORM git_watched PREPEND "--git-path;")
        execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --path-format=absolute ${git_watched}
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE git_files OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        string(REPLACE "\n" ";" git_files "${git_files}")
        foreach(file IN LISTS git_files)
            if(EXISTS "${file}")
                set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY
                    CMAKE_CONFIGURE_DEPENDS "${file}")
            endif()
        endforeach()
    endif()
endif()
if(VLR_COMMIT)
    message(STATUS "Version ${PROJECT_VERSION}, commit ${VLR_COMMIT}")
else()
    message(STATUS "Version ${PROJECT_VERSION}, not a git checkout")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/build_info.h.in
    ${PROJECT_BINARY_DIR}/generated/build_info.h @ONLY)
