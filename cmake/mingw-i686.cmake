# Cross build of the 32-bit Windows programs and DLLs with MinGW-w64.
# The -posix compilers are needed: GoogleTest wants std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(KIT_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${KIT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KIT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${KIT_MINGW_PREFIX}-windres)
set(KIT_DLLTOOL        ${KIT_MINGW_PREFIX}-dlltool)
set(KIT_OBJDUMP        ${KIT_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${KIT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Everything static: a program then imports only system DLLs and its card
# library, never libgcc, libstdc++ or libwinpthread.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the test programs under Wine; the build itself never needs it.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
