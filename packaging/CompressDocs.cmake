# Run by CPack on its staging tree before the packages are made: gzip -9n the
# manual pages and the changelogs, as Debian policy asks. Each package has its
# own tree below the staging folder.
file(GLOB_RECURSE staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
list(FILTER staged INCLUDE REGEX "/share/(man/man[1-9]/[^/]+|doc/[^/]+/changelog)$")
foreach(page IN LISTS staged)
    execute_process(COMMAND gzip -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
