# Native build of the portable core with AddressSanitizer and UBSan.
set(ELK_SAN -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(-Wall -Wextra -Werror -g ${ELK_SAN})
add_link_options(${ELK_SAN})

add_library(elkcore STATIC ${ELK_CORE_SOURCES})
target_include_directories(elkcore PUBLIC ${ELK_CORE_INCLUDE})

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own sources do not build warning-free with our flags.
foreach(t gtest gtest_main gmock gmock_main)
    target_compile_options(${t} PRIVATE -Wno-error)
endforeach()

add_executable(core_tests ${ELK_CORE_TESTS})
target_link_libraries(core_tests PRIVATE elkcore gtest_main)
add_test(NAME core COMMAND core_tests)
