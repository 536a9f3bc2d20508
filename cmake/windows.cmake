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

# The icon resource's picture: the committed app/palvoren.ico, or one made from the football
# picture while that is not there. Sets <out_dir> to the folder that holds palvoren.ico and
# <out_file> to the file.
function(palvoren_icon out_dir out_file)
    set(committed ${PROJECT_SOURCE_DIR}/app/palvoren.ico)
    if(EXISTS ${committed})
        set(${out_dir} ${PROJECT_SOURCE_DIR}/app PARENT_SCOPE)
        set(${out_file} ${committed} PARENT_SCOPE)
        return()
    endif()
    # ImageMagick: on a Windows host only as "magick", since convert.exe there is a disk tool.
    if(CMAKE_HOST_WIN32)
        find_program(PALVOREN_CONVERT magick REQUIRED)
    else()
        find_program(PALVOREN_CONVERT NAMES convert magick REQUIRED)
    endif()
    set(dir ${PROJECT_BINARY_DIR}/icon)
    add_custom_command(OUTPUT ${dir}/palvoren.ico
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND ${PALVOREN_CONVERT} ${PROJECT_SOURCE_DIR}/app/football.xpm
                -define icon:auto-resize=48,32,16 ${dir}/palvoren.ico
        DEPENDS ${PROJECT_SOURCE_DIR}/app/football.xpm
        COMMENT "Making the icon from the football picture")
    set(${out_dir} ${dir} PARENT_SCOPE)
    set(${out_file} ${dir}/palvoren.ico PARENT_SCOPE)
endfunction()
