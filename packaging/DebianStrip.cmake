# Run by CPack once it has installed the package's files into its staging directory, before it
# builds the Debian package: strips the programs as Debian's own tools do, every symbol and the
# .comment and .note sections, which a package has no use for.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()
file(GLOB _programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/usr/bin/*")
foreach(_program IN LISTS _programs)
    execute_process(COMMAND "${CPACK_VIRELO_STRIP}" --strip-all --remove-section=.comment
                            --remove-section=.note "${_program}"
                    RESULT_VARIABLE _status)
    if(NOT _status EQUAL 0)
        message(FATAL_ERROR "could not strip ${_program}")
    endif()
endforeach()
