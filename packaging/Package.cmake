# Two Debian packages from one build: cpack -G DEB in a build configured with
# -DCMAKE_INSTALL_PREFIX=/usr (packaging/check-deb.sh does both). The install
# rules and their components are in packaging/Install.cmake.
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VERSION ${QUORVEL_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "The Quorvel developers")
set(CPACK_PACKAGE_CONTACT "The Quorvel developers <developers@quorvel.example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Staging folders get the permissions Debian expects, whatever the umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL convert window)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quorvel.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# Each description's first line is its summary.
set(CPACK_DEBIAN_CONVERT_PACKAGE_NAME quorvel-convert)
set(CPACK_DEBIAN_CONVERT_DESCRIPTION
    "converter of saved .eml messages into mbox mailboxes, command line
quorvel-convert takes e-mail messages saved one per file (.eml), named on its
command line or found anywhere below folder trees, and appends them to mbox
mailboxes that mail clients import: one mailbox per source folder, mirroring
the source tree below the destination, or all in one. It needs no display,
keeps a JSON report of every message it could not convert and exits with a
status scripts can trust.")

set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME quorvel)
set(CPACK_DEBIAN_WINDOW_DESCRIPTION
    "converter of saved .eml messages into mbox mailboxes, window
Quorvel takes e-mail messages saved one per file (.eml), picked one by one
or found anywhere below a folder tree, and appends them to mbox mailboxes that
mail clients import: one mailbox per source folder, mirroring the source tree
below the destination chosen. It reports every message it could not convert.
.
This package holds the window; quorvel-convert does the same from the
command line.")
# The window's fonts: its layout is measured in them. The command of the same
# version comes with it: both lay out the mbox files byte for byte alike, and
# the window's manual teaches the command too.
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS "fonts-wine, quorvel-convert (= ${QUORVEL_VERSION_TEXT})")

# Debian wants manual pages and changelogs compressed, with no time stamp, and
# binaries without the compiler's comments.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/CompressDocs.cmake
                            ${CMAKE_CURRENT_LIST_DIR}/StripComments.cmake)

include(CPack)
