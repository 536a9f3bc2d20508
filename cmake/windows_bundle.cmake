# Script mode: lays out the portable folder and packs it.
#   EXE       the program
#   PLUGINS   <subfolder>=<plugin DLL> items
#   DLL_DIRS  where the DLLs that are shipped come from; imports found nowhere there come with
#             Windows itself (kernel32, user32, ...)
#   LICENCES  <name>=<file or folder> items, copied to LICENSES/<name>
#   NOTE      the note on licences and sources; OBJDUMP and STRIP mingw's tools; OUT the folder;
#             ZIP the zip
cmake_minimum_required(VERSION 3.25)

# The DLL names a PE file imports.
function(imports_of file out)
    execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "${OBJDUMP} cannot read ${file}")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
    list(TRANSFORM lines REPLACE "DLL Name: " "")
    set(${out} ${lines} PARENT_SCOPE)
endfunction()

# Debian's runtime DLLs carry their debugging symbols, five times the code's size; users need none.
function(strip_symbols file)
    execute_process(COMMAND ${STRIP} --strip-unneeded ${file} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "${STRIP} cannot strip ${file}")
    endif()
endfunction()

# Copies every DLL that the given files need, and what those need in turn, beside the program.
function(copy_imports)
    set(queue ${ARGN})
    set(seen)
    while(queue)
        list(POP_FRONT queue file)
        imports_of(${file} names)
        foreach(name IN LISTS names)
            if(name IN_LIST seen)
                continue()
            endif()
            list(APPEND seen ${name})
            find_file(found_${name} ${name} PATHS ${DLL_DIRS} NO_DEFAULT_PATH NO_CACHE)
            if(found_${name})
                file(COPY ${found_${name}} DESTINATION ${OUT})
                strip_symbols(${OUT}/${name})
                list(APPEND queue ${found_${name}})
            endif()
        endforeach()
    endwhile()
endfunction()

file(REMOVE_RECURSE ${OUT} ${ZIP})
file(MAKE_DIRECTORY ${OUT})
file(COPY ${EXE} ${NOTE} DESTINATION ${OUT})
get_filename_component(exe_name ${EXE} NAME)
strip_symbols(${OUT}/${exe_name})
set(plugin_files)
foreach(item IN LISTS PLUGINS)
    string(REGEX REPLACE "=.*" "" folder ${item})
    string(REGEX REPLACE "^[^=]*=" "" plugin ${item})
    file(COPY ${plugin} DESTINATION ${OUT}/${folder})
    list(APPEND plugin_files ${plugin})
endforeach()
copy_imports(${EXE} ${plugin_files})
foreach(item IN LISTS LICENCES)
    string(REGEX REPLACE "=.*" "" name ${item})
    string(REGEX REPLACE "^[^=]*=" "" source ${item})
    if(IS_DIRECTORY ${source})
        file(COPY ${source}/ DESTINATION ${OUT}/LICENSES/${name})
    else()
        file(COPY ${source} DESTINATION ${OUT}/LICENSES/${name})
    endif()
endforeach()

get_filename_component(parent ${OUT} DIRECTORY)
get_filename_component(top ${OUT} NAME)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${top}
    WORKING_DIRECTORY ${parent} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "could not pack ${ZIP}")
endif()
