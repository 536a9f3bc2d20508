# Compiler settings of the Windows build, native (MSVC or MinGW) or cross-built with mingw-w64.

# The icon resource is compiled with the platform's resource compiler (windres or rc.exe).
enable_language(RC)

# <windows.h> must not define min and max over the standard library's.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)

if(MSVC)
    # The warning flags set above are GCC's. The sources are UTF-8, whatever the code page of the
    # machine that builds them, and their Japanese texts must reach the program as UTF-8.
    get_directory_property(options COMPILE_OPTIONS)
    list(REMOVE_ITEM options -Wall -Wextra -Werror)
    set_directory_properties(PROPERTIES COMPILE_OPTIONS "${options}")
    add_compile_options(/W3 /utf-8 /permissive- /Zc:__cplusplus)
endif()

# GCC 12 reports false -Wrestrict overlaps inside std::string at -O3; -O2, as the Linux build uses.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
endif()

# The resource compiler takes none of the compiler's options.
get_directory_property(options COMPILE_OPTIONS)
list(TRANSFORM options REPLACE "^(.+)$" "$<$<COMPILE_LANGUAGE:C,CXX>:\\1>")
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${options}")

