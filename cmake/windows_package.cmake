# The portable Windows program: one folder with palvoren.exe, the DLLs it needs, Qt's platform and
# style plugins, and the licence texts of everything shipped, as cmake --install lays it out; CPack
# packs it as palvoren-<version>-windows-x64.zip (cmake --build <dir> --target package). Cross
# builds only: the DLLs are those of Debian's mingw-w64 and the Qt built with it, the licences
# Debian's.

set(CPACK_PACKAGE_FILE_NAME palvoren-${PROJECT_VERSION}-windows-x64)
set(PALVOREN_PACKAGE_ZIP ${PROJECT_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.zip)

# The folder of a runtime DLL as the compiler finds it.
function(palvoren_runtime_dir dll out)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
    endif()
    get_filename_component(dir ${path} DIRECTORY)
    set(${out} ${dir} PARENT_SCOPE)
endfunction()

palvoren_runtime_dir(libstdc++-6.dll gcc_runtime_dir)
palvoren_runtime_dir(libwinpthread-1.dll pthread_runtime_dir)
get_filename_component(qt_prefix ${Qt6_DIR}/../../.. ABSOLUTE)
# Where the DLLs that are shipped come from; also where the tests under wine find those of the
# programs that are not packed.
set(PALVOREN_DLL_DIRS ${qt_prefix}/bin ${gcc_runtime_dir} ${pthread_runtime_dir})

# Qt looks for its plugins in these folders beside the program.
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsIntegrationPlugin LIBRARY DESTINATION platforms)
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsVistaStylePlugin LIBRARY DESTINATION styles)

# The DLLs that the program and the plugins import, and those that these import in turn, go beside
# the program; CMake reads the imports with mingw's objdump (CMAKE_OBJDUMP). As Windows ignores the
# case of DLL names, CMake looks for them in lower case, which on Linux finds no Qt6Core.dll: it
# looks in a folder of links of those names instead, made here. Where two folders hold a DLL of the
# same name, the first folder's is taken.
set(dll_links ${PROJECT_BINARY_DIR}/package/dll-links)
file(REMOVE_RECURSE ${dll_links})
file(MAKE_DIRECTORY ${dll_links})
foreach(dir IN LISTS PALVOREN_DLL_DIRS)
    file(GLOB dlls ${dir}/*.dll)
    foreach(dll IN LISTS dlls)
        get_filename_component(name ${dll} NAME)
        string(TOLOWER ${name} name)
        if(NOT EXISTS ${dll_links}/${name})
            file(CREATE_LINK ${dll} ${dll_links}/${name} SYMBOLIC)
        endif()
    endforeach()
endforeach()
# The install runs on Linux, where CMake would take the files for ELF ones. An import found in none
# of the folders comes with Windows itself (kernel32.dll, user32.dll, ...). Debian's runtime DLLs
# carry their debugging symbols, five times the code's size, which --strip (and CPack) removes.
install(CODE "
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
    file(GET_RUNTIME_DEPENDENCIES
        EXECUTABLES $<TARGET_FILE:palvoren>
        MODULES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
            $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>
        DIRECTORIES ${dll_links}
        RESOLVED_DEPENDENCIES_VAR links
        UNRESOLVED_DEPENDENCIES_VAR windows_own)
    foreach(link IN LISTS links)
        file(REAL_PATH \"\${link}\" dll)
        file(INSTALL \"\${dll}\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}\" TYPE SHARED_LIBRARY)
        if(CMAKE_INSTALL_DO_STRIP)
            cmake_path(GET dll FILENAME name)
            execute_process(COMMAND ${CMAKE_STRIP} --strip-unneeded
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${name}\" COMMAND_ERROR_IS_FATAL ANY)
        endif()
    endforeach()
")

# Where the sources of the shipped binaries come from, with the versions on this machine.
function(palvoren_debian_version package out)
    execute_process(COMMAND dpkg-query -W -f=\${source:Version} ${package}
        OUTPUT_VARIABLE version ERROR_QUIET RESULT_VARIABLE failed)
    if(failed)
        set(version "as shipped with Debian 12")
    endif()
    set(${out} ${version} PARENT_SCOPE)
endfunction()
palvoren_debian_version(gcc-mingw-w64-x86-64-posix-runtime GCC_MINGW_VERSION)
palvoren_debian_version(mingw-w64-x86-64-dev MINGW_W64_VERSION)
configure_file(${CMAKE_CURRENT_LIST_DIR}/windows_sources.txt.in
    ${PROJECT_BINARY_DIR}/package/SOURCES.txt @ONLY NEWLINE_STYLE CRLF)
# The program's own licence beside it, with Windows line ends as SOURCES.txt.
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/package/LICENSE @ONLY
    NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/package/SOURCES.txt ${PROJECT_BINARY_DIR}/package/LICENSE
    DESTINATION .)
install(DIRECTORY ${qt_prefix}/LICENSES/ DESTINATION LICENSES/Qt)
install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright DESTINATION LICENSES/gcc-mingw-w64)
install(FILES /usr/share/doc/mingw-w64-common/copyright DESTINATION LICENSES/mingw-w64)

# The zip holds the folder that cmake --install --strip makes, under the zip's own name.
set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES ON)
include(CPack)
