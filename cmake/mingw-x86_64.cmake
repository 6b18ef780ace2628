# Cross build for 64-bit Windows; not shipped. Its tests run where a machine
# cannot run 32-bit programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KORVANDEL_TRIPLE x86_64-w64-mingw32)
set(KORVANDEL_WINE_ARGS --64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
