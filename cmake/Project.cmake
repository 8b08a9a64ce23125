# Flags shared by every target of both trees.
#
# Every user-visible text is code page 932 at run time: sources are UTF-8, and the
# compiler stores string literals as Shift-JIS. The native build uses the same flags so
# the unit tests see the very bytes the Windows programs use.
add_compile_options(-Wall -Wextra)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(
        $<$<COMPILE_LANGUAGE:CXX>:-finput-charset=UTF-8>
        $<$<COMPILE_LANGUAGE:CXX>:-fexec-charset=CP932>)
endif()
# (clang, used only for the fuzz tree, keeps literals in UTF-8; fuzzing doesn't mind.)

if(WIN32)
    add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600)
    # Small programs: a tray monitor runs all day on every PC and nothing in it is CPU-bound,
    # so size wins over speed (-Os, after the build type's -O2), and the linker drops every
    # function and table no one calls.
    add_compile_options(-Os -ffunction-sections -fdata-sections)
    add_link_options(-Wl,--gc-sections)
    # Every program and test links the quiet terminate handler (see the file).
    add_library(kv_terminate_handler OBJECT ${PROJECT_SOURCE_DIR}/common/terminate_handler_win.cpp)
    link_libraries(kv_terminate_handler)
    # Windows test programs run through Wine (see scripts/wine-harness.sh).
    set(KV_WINE_RUN ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KV_WINE_RUN} CACHE FILEPATH "" FORCE)
else()
    if(NOT KV_FUZZ AND NOT KV_SANITIZE)
        # kelvixd runs all day on small servers: the same small code as the Windows programs
        # (a third less of its text is paged in).
        add_compile_options(-Os -ffunction-sections -fdata-sections)
        add_link_options(-Wl,--gc-sections)
    endif()
    if(KV_FUZZ)
        add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
        add_link_options(-fsanitize=address,undefined)
    elseif(KV_SANITIZE)
        # -O1 with line tables only (after the build type's -O2 -g, so they win): what a
        # sanitizer report needs, in about half the compile time.
        add_compile_options(-O1 -g1 -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
        add_link_options(-fsanitize=address,undefined)
    endif()
endif()

# GoogleTest: the Debian package natively, built from its sources for mingw.
if(WIN32)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Our charset flags are not for GoogleTest's own sources.
    foreach(t gtest gtest_main gmock gmock_main)
        if(TARGET ${t})
            target_compile_options(${t} PRIVATE -w)
        endif()
    endforeach()
elseif(NOT KV_FUZZ)
    find_package(GTest REQUIRED)
    if(KV_BENCH)
        find_package(benchmark REQUIRED)
    endif()
endif()

# kv_test(NAME SOURCES... LIBS ... [PRIVATE_NETWORK]): a GoogleTest program registered with
# CTest. Native tests get label "native"; Windows ones run under Wine with label "wine".
# PRIVATE_NETWORK (native) runs it in a network namespace with a non-loopback address.
# A case that skips marks the whole program skipped, which scripts/test.sh counts as a
# failure: CI must run every case.
function(kv_test name)
    cmake_parse_arguments(T "PRIVATE_NETWORK" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    if(WIN32)
        target_link_libraries(${name} PRIVATE ${T_LIBS} gmock gtest gtest_main)
        set(labels wine ${T_LABELS})
    else()
        target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest GTest::gtest_main)
        set(labels native ${T_LABELS})
    endif()
    if(T_PRIVATE_NETWORK AND NOT WIN32)
        add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/tests/support/private_network.sh $<TARGET_FILE:${name}>)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    set_tests_properties(${name} PROPERTIES LABELS "${labels}"
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} TIMEOUT 300
        SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\] [A-Za-z]")
    if(WIN32)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine
            ENVIRONMENT "KV_WINE_DIR=${CMAKE_BINARY_DIR}/wine")
    endif()
endfunction()

# kv_version.h: the project version and legal notice for the version resources.
set(KV_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${KV_GENERATED_DIR}/kv_version.h @ONLY)

# kv_windres(VAR SCRIPT [DEPENDS files...]): compiles a resource script to an object file
# in the current build folder (named after the script) and puts its path in VAR. windres
# runs directly: the project's compile options are not for it. Scripts find their own
# folder's files, the drawn glyph icons and kv_version.h.
function(kv_windres var script)
    cmake_parse_arguments(R "" "" "DEPENDS" ${ARGN})
    get_filename_component(name ${script} NAME_WE)
    set(object ${CMAKE_CURRENT_BINARY_DIR}/${name}.res.o)
    add_custom_command(OUTPUT ${object}
        COMMAND ${CMAKE_RC_COMPILER} -O coff -I ${CMAKE_CURRENT_SOURCE_DIR} -I ${KV_GLYPH_DIR}
                -I ${KV_GENERATED_DIR} -i ${CMAKE_CURRENT_SOURCE_DIR}/${script} -o ${object}
        DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${script} ${KV_GENERATED_DIR}/kv_version.h ${R_DEPENDS}
        VERBATIM)
    set(${var} ${object} PARENT_SCOPE)
endfunction()

# kv_program_files(TARGET FILES...): copies files beside a program after every build, so
# that it finds its default files (glyph file, drive database) where a user puts them.
function(kv_program_files target)
    foreach(file ${ARGN})
        get_filename_component(name ${file} NAME)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} $<TARGET_FILE_DIR:${target}>/${name}
            VERBATIM)
    endforeach()
endfunction()
