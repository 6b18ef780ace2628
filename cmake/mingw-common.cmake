# The win32 thread model: the program runs no threads, and the posix model's
# threads library would add its weight and Vista-only imports.
set(CMAKE_C_COMPILER ${KORVANDEL_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${KORVANDEL_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${KORVANDEL_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KORVANDEL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Everything static: the program must run from a stick with nothing installed.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Test programs run under Wine in a prefix that belongs to the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${KORVANDEL_WINE_ARGS})
