# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the posix thread model, which
# Qt's threads need). Libraries, headers and CMake packages come only from the MinGW sysroot
# and from the prefixes listed in CMAKE_FIND_ROOT_PATH; programs (moc, rcc, uic) from the host.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELTROMARK_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELTROMARK_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELTROMARK_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VELTROMARK_MINGW}-windres)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${VELTROMARK_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No interprocedural register allocation. With it, GCC lets a caller keep values in registers
# that the callee it compiled is known not to touch. A template instantiated both here and in
# Qt (std::mt19937's refill, used by QRandomGenerator) is a COMDAT: the linker keeps one copy,
# which need not be the one the caller was compiled against, and the caller's registers are
# then clobbered (seen as a crash in QSaveFile::open at -O2). Every library and the program
# are built without it, so no caller relies on how a callee was compiled.
set(CMAKE_C_FLAGS_INIT "-fno-ipa-ra")
set(CMAKE_CXX_FLAGS_INIT "-fno-ipa-ra")
