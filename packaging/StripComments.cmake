# Run by CPack on its staging tree after CPACK_STRIP_FILES: also drop the
# compiler's .comment and .note sections, as dh_strip does for Debian.
file(GLOB binaries "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/usr/bin/*")
foreach(binary IN LISTS binaries)
    execute_process(COMMAND strip --remove-section=.comment --remove-section=.note "${binary}"
                    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
