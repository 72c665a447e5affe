# Source lists of the library's families. Each family folder has a
# sources.cmake that calls elk_family_sources():
#   CORE        portable sources (no Windows header): in the DLL and natively
#   WINDOWS     sources that call the platform: in the DLL only
#   CORE_TESTS  native GoogleTest sources for the portable sources
set(ELK_CORE_SOURCES)
set(ELK_WIN_SOURCES)
set(ELK_CORE_TESTS)
set(ELK_CORE_INCLUDE ${CMAKE_CURRENT_LIST_DIR}/..)

macro(elk_family_sources)
    cmake_parse_arguments(F "" "" "CORE;WINDOWS;CORE_TESTS" ${ARGN})
    foreach(kind CORE WINDOWS)
        foreach(f ${F_${kind}})
            list(APPEND ELK_${kind}_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${f})
        endforeach()
    endforeach()
    list(APPEND ELK_WIN_SOURCES ${ELK_WINDOWS_SOURCES})
    set(ELK_WINDOWS_SOURCES)
    foreach(f ${F_CORE_TESTS})
        list(APPEND ELK_CORE_TESTS ${CMAKE_SOURCE_DIR}/tests/core/${f})
    endforeach()
endmacro()

foreach(family base lang storage convert events submit net system maint)
    include(${CMAKE_CURRENT_LIST_DIR}/../${family}/sources.cmake OPTIONAL)
endforeach()
