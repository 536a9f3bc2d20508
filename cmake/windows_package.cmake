# The portable Windows program: a folder with palvoren.exe, the DLLs it imports, Qt's platform and
# style plugins and the licence texts of everything shipped, packed as
# palvoren-<version>-windows-x64.zip. Cross builds only: the DLLs are found with mingw's objdump.

set(PALVOREN_PACKAGE palvoren-${PROJECT_VERSION}-windows-x64)
set(PALVOREN_PACKAGE_DIR ${PROJECT_BINARY_DIR}/${PALVOREN_PACKAGE})
set(PALVOREN_PACKAGE_ZIP ${PROJECT_BINARY_DIR}/${PALVOREN_PACKAGE}.zip)

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
# Where the tests under wine find the DLLs of a program that is not packed.
set(PALVOREN_DLL_DIRS ${qt_prefix}/bin ${gcc_runtime_dir} ${pthread_runtime_dir})

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

set(licences
    "Qt=${qt_prefix}/LICENSES"
    "gcc-mingw-w64=/usr/share/doc/gcc-mingw-w64-base/copyright"
    "mingw-w64=/usr/share/doc/mingw-w64-common/copyright")
set(plugins
    platforms=$<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
    styles=$<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>)
add_custom_command(OUTPUT ${PALVOREN_PACKAGE_ZIP}
    COMMAND ${CMAKE_COMMAND}
        -DEXE=$<TARGET_FILE:palvoren>
        "-DPLUGINS=${plugins}"
        "-DDLL_DIRS=${PALVOREN_DLL_DIRS}"
        "-DLICENCES=${licences}"
        -DNOTE=${PROJECT_BINARY_DIR}/package/SOURCES.txt
        -DOBJDUMP=${CMAKE_OBJDUMP}
        -DSTRIP=${CMAKE_STRIP}
        -DOUT=${PALVOREN_PACKAGE_DIR}
        -DZIP=${PALVOREN_PACKAGE_ZIP}
        -P ${CMAKE_CURRENT_LIST_DIR}/windows_bundle.cmake
    DEPENDS palvoren ${CMAKE_CURRENT_LIST_DIR}/windows_bundle.cmake
        ${PROJECT_BINARY_DIR}/package/SOURCES.txt
    COMMENT "Packing ${PALVOREN_PACKAGE}.zip"
    VERBATIM)
add_custom_target(palvoren_zip ALL DEPENDS ${PALVOREN_PACKAGE_ZIP})
