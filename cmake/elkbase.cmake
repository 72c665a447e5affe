# The library itself.
elk_dll(elkBase OUTPUT elkBase DEF elkBase.def
    SOURCES
        ${ELK_CORE_SOURCES}
        base/dllmain.cpp
        base/lifecycle.cpp
        base/services.cpp
        base/paths.cpp
        base/arrays.cpp
        base/threadstop.cpp
        lang/language.cpp
        lang/format.cpp
        lang/strings.cpp
)
target_compile_definitions(elkBase PRIVATE ELKBASE_BUILD)
target_include_directories(elkBase PRIVATE ${CMAKE_SOURCE_DIR})
elk_link(elkBase ozrCmnBS)
