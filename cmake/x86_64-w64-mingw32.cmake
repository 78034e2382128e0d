# Debian's MinGW-w64 cross compiler for 64-bit Windows
# (g++-mingw-w64-x86-64-posix). The program is linked statically, so the exe
# needs only KERNEL32.dll and msvcrt.dll, which every Windows has; the tests
# run it under Wine (wine64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Debian's wine64 keeps its loader out of PATH, in the library folder beside
# the bin folder that PATH names.
find_program(WINE NAMES wine64 wine PATH_SUFFIXES ../lib/wine
             DOC "Wine's loader, which runs the tests")
if(WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE})
endif()
