# The Debian package, made by CPack from the install rules: "cmake --build ... --target
# package" writes zipbackup_<version>_<arch>.deb into the build folder. The version is
# the project's; the dependencies are computed from the shared libraries the programs
# link against.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zipbackup)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Varnholt ZIP Backup team")
set(CPACK_PACKAGE_CONTACT "The Varnholt ZIP Backup team <team@zipbackup.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "back up named projects into ZIP archives and restore them")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Varnholt ZIP Backup keeps named backup projects: the files to pack and
to leave out, the folder that receives the archive and how its name is
built, a password, a comment, the compression level and an optional
schedule. Each run packs the project into one standard ZIP archive. The
program lists and restores archives, also ones made by other ZIP tools,
and writes every outcome to an activity log.
.
The package holds the window, which runs in the notification area and
starts scheduled backups, and zipbackup-cli, which does the same jobs
from a terminal.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zipbackup.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its display plugins and the SVG icon engine at run time, so the libraries
# linked do not name them.
if(TARGET zipbackup)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# A Debian package installs under /usr; the paths built into the programs and the menu
# entry follow the configured prefix, so the two must agree.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "The Debian package wants -DCMAKE_INSTALL_PREFIX=/usr (now ${CMAKE_INSTALL_PREFIX})")
endif()
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
include(CPack)
