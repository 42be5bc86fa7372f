# Cross build of the Windows x64 module with MinGW-w64 (Debian's g++-mingw-w64-x86-64-posix).
#   cmake --preset windows
# The "posix" thread-model compilers are used: the "win32" ones lack std::mutex and
# std::thread, which GoogleTest needs. Everything is linked statically, so the DLL and the
# test programs need no MinGW runtime DLLs beside them, only the system's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TESSARO_MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${TESSARO_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TESSARO_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TESSARO_MINGW_TRIPLE}-windres)
find_program(TESSARO_MINGW_OBJDUMP NAMES ${TESSARO_MINGW_TRIPLE}-objdump)

# Look for libraries and headers of the target only; programs come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TESSARO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config knows the target's libraries only (none, unless a MinGW build of one is put
# into the sysroot): the build machine's Linux libraries must never be found.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${TESSARO_MINGW_TRIPLE}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

set(TESSARO_MINGW_STATIC "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${TESSARO_MINGW_STATIC}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${TESSARO_MINGW_STATIC}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${TESSARO_MINGW_STATIC}")

# Test programs run under Wine on the build machine (ctest and GoogleTest's discovery).
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(TESSARO_WINE NAMES wine wine64)
  if(TESSARO_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSARO_WINE})
  endif()
endif()
