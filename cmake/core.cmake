# Sources that need no operating-system call. They are compiled into the DLL
# and, in the native build, with their tests under the sanitizers.
set(ELK_CORE_SOURCES
    base/core/pathjoin.cpp
    base/core/osclass.cpp
    lang/core/printf_args.cpp
    lang/core/errcodes.cpp
    lang/core/langlist.cpp
)
list(TRANSFORM ELK_CORE_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/../)
set(ELK_CORE_INCLUDE ${CMAKE_CURRENT_LIST_DIR}/..)

set(ELK_CORE_TESTS
    tests/core/pathjoin_test.cpp
    tests/core/osclass_test.cpp
    tests/core/printf_args_test.cpp
    tests/core/errcodes_test.cpp
)
list(TRANSFORM ELK_CORE_TESTS PREPEND ${CMAKE_CURRENT_LIST_DIR}/../)
