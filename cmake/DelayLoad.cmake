# System DLLs that the program does not need to show its window are loaded on
# their first call instead of when the program starts: setting them up costs
# milliseconds each (the spooler asks the print system for its printers, the
# common controls register their classes). MSVC does this with /DELAYLOAD; for
# MinGW, delay-import libraries are made here from the toolchain's import
# libraries (dlltool).
#
#   lunabel_delay_load(TARGET winspool=WINSPOOL.DRV comctl32=COMCTL32.dll ...)
#
# links TARGET (and what links it) with each library, delay-loaded.

# lib<name>_delay.a for `dll`, with every function the import library names.
function(lunabel_make_delay_library name dll out_var)
    find_library(LUNABEL_IMPORT_LIB_${name} NAMES lib${name}.a ${name} REQUIRED)
    set(import_lib ${LUNABEL_IMPORT_LIB_${name}})
    set(dir ${CMAKE_BINARY_DIR}/delayload)
    set(archive ${dir}/lib${name}_delay.a)
    if(NOT EXISTS ${archive} OR ${import_lib} IS_NEWER_THAN ${archive})
        execute_process(COMMAND ${CMAKE_NM} --defined-only -g ${import_lib}
                        OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "cannot list the exports of ${import_lib}")
        endif()
        # The import thunks are the functions: "<address> T <name>".
        string(REGEX MATCHALL "[0-9a-f]+ T [A-Za-z_][A-Za-z0-9_@]*" thunks "${symbols}")
        set(def "LIBRARY ${dll}\nEXPORTS\n")
        foreach(thunk IN LISTS thunks)
            string(REGEX REPLACE "^[0-9a-f]+ T " "" function "${thunk}")
            string(APPEND def "    ${function}\n")
        endforeach()
        file(MAKE_DIRECTORY ${dir})
        file(WRITE ${dir}/${name}.def "${def}")
        execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${dir}/${name}.def
                                --dllname ${dll} --output-delaylib ${archive}
                        RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "cannot make the delay-import library for ${dll}")
        endif()
    endif()
    set(${out_var} ${archive} PARENT_SCOPE)
endfunction()

function(lunabel_delay_load target)
    foreach(pair IN LISTS ARGN)
        string(REPLACE "=" ";" pair "${pair}")
        list(GET pair 0 name)
        list(GET pair 1 dll)
        if(MSVC)
            target_link_libraries(${target} PUBLIC ${name})
            target_link_options(${target} PUBLIC /DELAYLOAD:${dll})
        elseif(MINGW)
            lunabel_make_delay_library(${name} ${dll} archive)
            target_link_libraries(${target} PUBLIC ${archive})
        else()
            target_link_libraries(${target} PUBLIC ${name})
        endif()
    endforeach()
    if(MSVC)
        target_link_libraries(${target} PUBLIC delayimp)
    endif()
endfunction()
