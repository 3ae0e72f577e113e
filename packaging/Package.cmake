# The Debian package: cpack -G DEB in a build configured with
# -DCMAKE_INSTALL_PREFIX=/usr (packaging/check-deb.sh does both).
include(GNUInstallDirs)

install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${CMAKE_CURRENT_LIST_DIR}/changelog
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VERSION ${QUORVEL_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "The Quorvel developers")
set(CPACK_PACKAGE_CONTACT "The Quorvel developers <developers@quorvel.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converter of saved .eml messages into mbox mailboxes")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvel takes e-mail messages saved one per file (.eml), picked one by one
or found anywhere below a folder tree, and appends them to mbox mailboxes that
mail clients import: one mailbox per source folder, mirroring the source tree
below the destination chosen. It reports every message it could not convert.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Staging folders get the permissions Debian expects, whatever the umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quorvel.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's fonts: its layout is measured in them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine")
# Debian wants manual pages and the changelog compressed, with no time stamp.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/CompressDocs.cmake)

include(CPack)
