# 64-bit Windows programs and DLLs (preset win64, build/win64): the same
# sources, names and ordinals as the 32-bit build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KIT_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
