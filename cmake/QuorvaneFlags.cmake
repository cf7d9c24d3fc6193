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
    # One self-contained 32-bit exe: no libstdc++/libgcc/winpthread DLLs beside it. Vista is the oldest Windows
    # the manifest and the user guide name.
    add_link_options(-static -static-libgcc -static-libstdc++)
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600 WINVER=0x0600 _WIN32_IE=0x0600)
    # The release is built for size: the shell and the check wait on the network and the user, not on the
    # processor. The decoders (text, mime) and MD5 take QV_SPEED_OPTIONS in their own folders. Functions and data
    # in sections of their own let the linker drop what nothing calls. Quorvane.exe itself is linked stripped
    # (app/), so the exe the tests run is byte for byte the one scripts/package ships.
    set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
    set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
    add_compile_options($<$<CONFIG:Release>:-ffunction-sections> $<$<CONFIG:Release>:-fdata-sections>)
    add_link_options($<$<CONFIG:Release>:-Wl,--gc-sections>)
    set(QV_SPEED_OPTIONS $<$<CONFIG:Release>:-O2>)
endif()
