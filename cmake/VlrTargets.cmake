# Common compile settings for every target of the project.
function(vlr_target_options target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
    if(VLR_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    if(VLR_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined
            -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()

# One static library per source folder: every .cpp in it.
function(vlr_add_area_library name dir)
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    if(NOT sources MATCHES "\\.cpp")
        # A folder with nothing to compile yet still carries its dependencies.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE ${ARGN})
        return()
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    vlr_target_options(${name})
    target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# One GoogleTest executable per test folder, its cases registered with ctest.
function(vlr_add_area_tests name dir)
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    # Scripts beside the tests are found by this path, not by __FILE__, which a compiler
    # cache may have made relative.
    target_compile_definitions(${name} PRIVATE
        VLR_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}/${dir}")
    vlr_target_options(${name})
    target_link_libraries(${name} PRIVATE ${ARGN} vlr_testsupport GTest::gtest GTest::gmock)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VLR_BINARY_DIR=${PROJECT_BINARY_DIR}")
endfunction()
