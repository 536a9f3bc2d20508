# Compiler settings of the Windows build, native (MSVC or MinGW) or cross-built with mingw-w64.

# The icon resource is compiled with the platform's resource compiler (windres or rc.exe).
enable_language(RC)

# <windows.h> must not define min and max over the standard library's.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)

# The sources are UTF-8, whatever the code page of the machine that builds them, and their Japanese
# texts must reach the program as UTF-8. C++ only: the resource compiler takes none of these.
if(MSVC)
    add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:/utf-8;/permissive-;/Zc:__cplusplus>")
endif()
