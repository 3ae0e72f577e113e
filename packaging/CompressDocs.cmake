# Run by CPack on its staging tree before the package is made: gzip -9n the
# manual pages and the changelog, as Debian policy asks.
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man*/*"
                        "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/quorvel/changelog")
foreach(page IN LISTS pages)
    if(NOT page MATCHES "\\.gz$")
        execute_process(COMMAND gzip -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
