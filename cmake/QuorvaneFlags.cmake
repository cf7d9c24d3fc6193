# Compiler settings shared by every target of both builds.

# Every text literal is Shift_JIS at run time; the sources stay UTF-8. A warning fails the build.
add_compile_options(-Wall -Wextra -Werror -finput-charset=UTF-8 -fexec-charset=CP932)

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
    set(CMAKE_C_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

# QV_SANITIZE: comma-separated sanitizers for the native build, e.g. "address,undefined" or "thread".
set(QV_SANITIZE "" CACHE STRING "Sanitizers for the native build")
if(QV_SANITIZE AND NOT WIN32)
    add_compile_options(-fsanitize=${QV_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all -g)
    add_link_options(-fsanitize=${QV_SANITIZE})
endif()

if(WIN32)
    # One self-contained 32-bit exe: no libstdc++/libgcc/winpthread DLLs beside it.
    add_link_options(-static -static-libgcc -static-libstdc++)
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600)
endif()
