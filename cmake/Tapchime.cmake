# Shared build settings: warnings, sanitizers and the helpers that turn a source folder into a target.

add_library(tapchime_options INTERFACE)
target_compile_options(tapchime_options INTERFACE -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)
if(TAPCHIME_WERROR)
    target_compile_options(tapchime_options INTERFACE -Werror)
endif()
if(TAPCHIME_SANITIZE STREQUAL "address")
    target_compile_options(tapchime_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                      -fno-sanitize-recover=undefined)
    target_link_options(tapchime_options INTERFACE -fsanitize=address,undefined)
elseif(TAPCHIME_SANITIZE STREQUAL "thread")
    target_compile_options(tapchime_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(tapchime_options INTERFACE -fsanitize=thread)
elseif(TAPCHIME_SANITIZE)
    message(FATAL_ERROR "TAPCHIME_SANITIZE must be empty, \"address\" or \"thread\"")
endif()
if(TAPCHIME_BUILD_FUZZERS)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "The fuzzers need Clang's libFuzzer: configure with the preset \"fuzz\"")
    endif()
    # Every library reports its coverage to libFuzzer; the fuzz targets link libFuzzer itself.
    target_compile_options(tapchime_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# tapchime_library(<target> <folder> [RECURSE] [DEPS <targets...>] [HEADERS_OF <folders...>])
# Every .cpp in the folder (and below it with RECURSE) becomes one static library. A folder without sources
# yet gives an interface library so that the targets that link it still build.
# The folder may include headers only of its own folder and of the folders of the tapchime libraries it depends
# on, directly or through them, and of the HEADERS_OF folders (interfaces it uses without linking their code):
# the build checks every include of ours before the library compiles.
function(tapchime_library target folder)
    cmake_parse_arguments(ARG "RECURSE" "" "DEPS;HEADERS_OF" ${ARGN})
    if(ARG_RECURSE)
        file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${folder}/*.cpp)
        file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${folder}/*.h)
    else()
        file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
        file(GLOB headers CONFIGURE_DEPENDS ${folder}/*.h)
    endif()
    tapchime_allowed_includes(allowed ${folder} "${ARG_DEPS}" "${ARG_HEADERS_OF}")
    if(sources)
        # Headers are listed too, so that Qt's moc sees a new Q_OBJECT header as soon as it appears.
        add_library(${target} STATIC ${sources} ${headers})
        target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)
        target_link_libraries(${target} PUBLIC ${ARG_DEPS} PRIVATE tapchime_options)
        tapchime_check_includes(${target} ${folder} "${allowed}" ${sources} ${headers})
    else()
        add_library(${target} INTERFACE)
        target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)
        target_link_libraries(${target} INTERFACE ${ARG_DEPS})
    endif()
    set_target_properties(${target} PROPERTIES TAPCHIME_INCLUDABLE "${allowed}")
endfunction()

# tapchime_module(<target> <folder> DEPS <targets...>)
# Every .cpp in the folder becomes a module the program loads at run time; its includes are checked as a
# library's are.
function(tapchime_module target folder)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
    file(GLOB headers CONFIGURE_DEPENDS ${folder}/*.h)
    tapchime_allowed_includes(allowed ${folder} "${ARG_DEPS}" "")
    add_library(${target} MODULE ${sources} ${headers})
    target_link_libraries(${target} PRIVATE ${ARG_DEPS} tapchime_options)
    tapchime_check_includes(${target} ${folder} "${allowed}" ${sources} ${headers})
endfunction()

# The folders whose headers `folder` may include: its own, those of the tapchime libraries in `deps` (directly
# or through them) and `headers_of`. The structure test reads each folder's list from the build folder.
function(tapchime_allowed_includes out folder deps headers_of)
    set(allowed ${folder} ${headers_of})
    foreach(dep IN LISTS deps)
        if(TARGET ${dep})
            get_target_property(dep_allowed ${dep} TAPCHIME_INCLUDABLE)
            if(dep_allowed)
                list(APPEND allowed ${dep_allowed})
            endif()
        endif()
    endforeach()
    list(REMOVE_DUPLICATES allowed)
    string(REPLACE "/" "_" name "${folder}")
    file(WRITE ${PROJECT_BINARY_DIR}/structure/${name}.txt "${allowed}")
    set(${out} "${allowed}" PARENT_SCOPE)
endfunction()

# The include check of one library: a stamp made from its files by cmake/CheckIncludes.cmake, which the
# library waits for, so a wrong include stops the build before the compiler sees it.
function(tapchime_check_includes target folder allowed)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.includes-checked)
    add_custom_command(OUTPUT ${stamp}
                       COMMAND ${CMAKE_COMMAND} -DFOLDER=${folder} "-DALLOWED=${allowed}" "-DFILES=${ARGN}"
                               -DSTAMP=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
                       DEPENDS ${ARGN} ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
                       WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
                       COMMENT "Checking the includes of src/${folder}" VERBATIM)
    add_custom_target(${target}_includes DEPENDS ${stamp})
    add_dependencies(${target} ${target}_includes)
endfunction()

# tapchime_test(<area> <folder> [RECURSE] [SERIAL <gtest filter>] DEPS <targets...>)
# Every .cpp in the folder (and below it with RECURSE) becomes one GoogleTest executable test_<area>; each test case is its own CTest
# test named "<area>.<Suite>.<Case>" and labelled <area>, so the cases run in parallel. The cases that SERIAL
# names run alone: they judge sound heard on the rig in real time, which a machine loaded with the other
# tests (several times over under the sanitizers) cannot promise.
function(tapchime_test area folder)
    cmake_parse_arguments(ARG "RECURSE" "SERIAL" "DEPS" ${ARGN})
    if(ARG_RECURSE)
        file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${folder}/*.cpp)
    else()
        file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
    endif()
    if(NOT sources)
        return()
    endif()
    add_executable(test_${area} ${sources})
    target_link_libraries(test_${area} PRIVATE ${ARG_DEPS} tapchime_test_support GTest::gtest GTest::gmock
                                               GTest::gtest_main tapchime_options)
    if(ARG_SERIAL)
        gtest_discover_tests(test_${area} TEST_PREFIX "${area}." DISCOVERY_TIMEOUT 30 TEST_FILTER "-${ARG_SERIAL}"
                             PROPERTIES LABELS ${area} TIMEOUT 300)
        gtest_discover_tests(test_${area} TEST_PREFIX "${area}." DISCOVERY_TIMEOUT 30 TEST_FILTER "${ARG_SERIAL}"
                             PROPERTIES LABELS ${area} TIMEOUT 300 RUN_SERIAL TRUE)
    else()
        gtest_discover_tests(test_${area} TEST_PREFIX "${area}." DISCOVERY_TIMEOUT 30
                             PROPERTIES LABELS ${area} TIMEOUT 300)
    endif()
endfunction()
