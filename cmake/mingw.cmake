# Cross build of the Windows programs and DLLs with MinGW-w64, for the
# processor the including toolchain file names in KIT_MINGW_PREFIX:
#   mingw-i686.cmake    32-bit Windows (build/win32)
#   mingw-x86_64.cmake  64-bit Windows (build/win64)
# The -posix compilers are needed: GoogleTest wants std::mutex.
set(CMAKE_SYSTEM_NAME Windows)

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
# "wine" as the session finds it on PATH: scripts/wine-session.sh puts the
# 64-bit loader there for the 64-bit prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
