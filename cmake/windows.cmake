# Windows build: the library, the suite's stand-ins, elkctl and the tests that
# run under Wine.
set(ELK_BIN ${CMAKE_BINARY_DIR}/bin)
set(ELK_IMPLIB_DIR ${CMAKE_BINARY_DIR}/implib)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${ELK_BIN})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${ELK_BIN})
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
file(MAKE_DIRECTORY ${ELK_IMPLIB_DIR})
find_program(ELK_DLLTOOL ${ELK_TRIPLE}-dlltool REQUIRED)

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
    # Wide printf keeps the C runtime's own meaning of %s, %S and %c.
    __USE_MINGW_ANSI_STDIO=0)
# Self-contained binaries: libgcc, libstdc++ and winpthread are linked in.
add_link_options(-static -static-libgcc -static-libstdc++)
set(ELK_WARN -Wall -Wextra -Werror)

# Linked into every binary the suite ships: the import slot of GetTickCount64,
# which the thread library would otherwise import from kernel32 (not on XP).
add_library(elkxp OBJECT ${CMAKE_SOURCE_DIR}/base/tickcount64.cpp)
target_compile_options(elkxp PRIVATE ${ELK_WARN})

# The .def file `def` as this architecture needs it, in *out. The files list
# stdcall names with their @N suffix; x64 has one calling convention and no
# decoration, so there the suffixes go: all of them, or with DECORATED only
# those of the symbols, for DLLs whose exported names are looked up as they
# stand. The copy is rewritten only when its text changes.
function(elk_def_for_arch def decorated out)
    if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(${out} ${def} PARENT_SCOPE)
        return()
    endif()
    file(READ ${def} text)
    if(decorated)
        string(REGEX REPLACE "= *([A-Za-z_]+)@[0-9]+" "= \\1" text "${text}")
    else()
        string(REGEX REPLACE "@[0-9]+" "" text "${text}")
    endif()
    string(MD5 key ${def})
    set(copy ${CMAKE_BINARY_DIR}/defs/${key}.def)
    file(WRITE ${copy}.new "${text}")
    configure_file(${copy}.new ${copy} COPYONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
    set(${out} ${copy} PARENT_SCOPE)
endfunction()

# Every DLL the build makes:
#   elk_dll(target OUTPUT name SOURCES ... [DEF file] [FOLDER dir] [DECORATED] [IMPLIB]
#           [LIBS ...] [DEFINES ...] [INCLUDES ...])
# DEF: the exports (relative to the calling folder); the DLL exports the plain
# names (--kill-at) unless DECORATED. IMPLIB: an import library made by
# dlltool from the .def file, so that callers bind the decorated symbols the
# compiler emits for a stdcall declaration (elk_link). FOLDER: where the DLL
# goes (default bin). Each DLL keeps its own archive folder: several share a
# name (the language modules, the system doubles).
function(elk_dll target)
    cmake_parse_arguments(A "DECORATED;IMPLIB" "DEF;OUTPUT;FOLDER" "SOURCES;LIBS;DEFINES;INCLUDES" ${ARGN})
    set(def)
    if(A_DEF)
        get_filename_component(source_def ${A_DEF} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
        elk_def_for_arch(${source_def} "${A_DECORATED}" def)
    endif()
    if(NOT A_FOLDER)
        set(A_FOLDER ${ELK_BIN})
    endif()
    add_library(${target} SHARED ${A_SOURCES} ${def})
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${A_OUTPUT}
        RUNTIME_OUTPUT_DIRECTORY ${A_FOLDER} LIBRARY_OUTPUT_DIRECTORY ${A_FOLDER}
        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib/${target})
    target_compile_options(${target} PRIVATE ${ELK_WARN})
    target_compile_definitions(${target} PRIVATE ${A_DEFINES})
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR} ${A_INCLUDES})
    if(NOT A_DECORATED)
        target_link_options(${target} PRIVATE -Wl,--kill-at)
    endif()
    target_link_libraries(${target} PRIVATE elkxp ${A_LIBS})
    if(A_IMPLIB)
        set(implib ${ELK_IMPLIB_DIR}/lib${A_OUTPUT}.a)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${ELK_DLLTOOL} -k -d ${def} -D ${A_OUTPUT}.dll -l ${implib}
            BYPRODUCTS ${implib} VERBATIM)
        set_property(TARGET ${target} PROPERTY ELK_IMPLIB ${implib})
    endif()
endfunction()

# Links `target` against the DLLs named after it through their import libraries.
function(elk_link target)
    foreach(dll ${ARGN})
        add_dependencies(${target} ${dll})
        get_property(implib TARGET ${dll} PROPERTY ELK_IMPLIB)
        target_link_libraries(${target} PRIVATE ${implib})
    endforeach()
endfunction()

# A plain Windows program of the build (a wmain entry point) linked against
# the DLLs given: test helpers and benchmarks.
function(elk_program target)
    cmake_parse_arguments(A "" "" "SOURCES;DLLS" ${ARGN})
    add_executable(${target} ${A_SOURCES})
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(${target} PRIVATE ${ELK_WARN})
    target_link_options(${target} PRIVATE -municode)
    elk_link(${target} ${A_DLLS})
endfunction()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# A test program run under Wine in the build's private prefix; extra ctest
# entries of the same program may narrow it with a filter or an environment.
function(elk_test name)
    cmake_parse_arguments(A "" "" "SOURCES;DLLS;LIBS" ${ARGN})
    add_executable(${name} ${A_SOURCES})
    target_compile_options(${name} PRIVATE ${ELK_WARN})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE elktestsupport gmock_main ${A_LIBS})
    elk_link(${name} ${A_DLLS})
endfunction()

# Which build a test belongs to: the start of its CTest name, and the Wine
# architecture of its prefix (scripts/wine-run.sh picks loader and server by it).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ELK_BUILD x86_64)
    set(ELK_WINEARCH win64)
else()
    set(ELK_BUILD i686)
    set(ELK_WINEARCH win32)
endif()
set(ELK_WINE_ENV "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;WINEARCH=${ELK_WINEARCH};WINEDEBUG=-all")

# A CTest entry "<build>/<name>" running `program` under Wine, directly or
# through a HARNESS (a Python script that starts a peer and is given the Wine
# command line); LOCKS are resources it uses alone, PROPERTIES go to
# set_tests_properties.
function(elk_add_test name program)
    cmake_parse_arguments(A "" "" "ARGS;ENV;HARNESS;LOCKS;PROPERTIES" ${ARGN})
    set(test ${ELK_BUILD}/${name})
    if(A_HARNESS)
        add_test(NAME ${test} COMMAND /usr/bin/python3 ${A_HARNESS}
                 ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh $<TARGET_FILE:${program}> ${A_ARGS})
    else()
        add_test(NAME ${test} COMMAND ${program} ${A_ARGS})
    endif()
    set_tests_properties(${test} PROPERTIES
        ENVIRONMENT "${ELK_WINE_ENV};${A_ENV}"
        # A hung program (a crash caught by Wine's debugger, a lost peer) must
        # not stall the whole run.
        TIMEOUT 300
        ${A_PROPERTIES})
    if(A_LOCKS)
        set_tests_properties(${test} PROPERTIES RESOURCE_LOCK "${A_LOCKS}")
    endif()
endfunction()

add_subdirectory(suite)
add_subdirectory(suite/lang)
include(cmake/elkbase.cmake)
add_subdirectory(tools/elkctl)
add_subdirectory(bench/windows)
add_subdirectory(tests)

# Every binary the suite ships must load on Windows XP SP3: the build fails
# when one imports a function that XP lacks (cmake/post-xp-imports.txt).
find_program(ELK_OBJDUMP ${ELK_TRIPLE}-objdump REQUIRED)
set(ELK_SHIPPED elkBase ozrCmnBS ozrCmnOS ozrCmnIS ozrEngLdr Pemx4h SetIFace elkSODBC elkSSqlt elkSXML lang_1033 lang_1031 elkctl)
set(shipped_files)
foreach(t ${ELK_SHIPPED})
    list(APPEND shipped_files $<TARGET_FILE:${t}>)
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/xp-imports.checked
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh ${ELK_OBJDUMP} ${CMAKE_SOURCE_DIR}/cmake/post-xp-imports.txt
            ${shipped_files}
    COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/xp-imports.checked
    DEPENDS ${ELK_SHIPPED} ${CMAKE_SOURCE_DIR}/cmake/post-xp-imports.txt ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh
    COMMENT "Checking the shipped binaries' imports against Windows XP" VERBATIM)
add_custom_target(xp_imports ALL DEPENDS ${CMAKE_BINARY_DIR}/xp-imports.checked)
