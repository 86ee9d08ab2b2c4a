# Cross-builds the Windows DLL with Debian's mingw-w64 (posix thread model, for std::thread
# and std::call_once) for CMAKE_SYSTEM_PROCESSOR. Tests run under Wine through the emulator
# wrapper, in a throw-away prefix inside the build folder.
set(CMAKE_SYSTEM_NAME Windows)
set(LOTTA_MINGW_TRIPLE ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${LOTTA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LOTTA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LOTTA_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LOTTA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
