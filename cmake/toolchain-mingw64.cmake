# Cross-compiles the Windows program on Debian with mingw-w64; ctest runs the
# results under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mokuji_mingw_prefix x86_64-w64-mingw32)
# The default compilers use the win32 thread model, where GCC 12 has no
# std::thread; the -posix ones have it.
set(CMAKE_C_COMPILER ${mokuji_mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mokuji_mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${mokuji_mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mokuji_mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Linked against DLLs of the compiler's runtime (libstdc++, libgcc,
# winpthread) a program needs them beside it, and without them Wine ends it
# silently; linked statically it stands alone.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)
# The same for libraries found with find_package: zlib's import library
# would make the program need zlib1.dll beside it.
set(ZLIB_USE_STATIC_LIBS ON)

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
