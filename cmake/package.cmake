# The Debian package that `make package` builds with cpack: everything `cmake --install` puts into
# the prefix, below /usr. Its Depends come from the shared libraries the tool links
# (dpkg-shlibdeps); the -dev packages a host needs to build against the libraries are suggested.
set(NORVIK_PACKAGE_MAINTAINER
    "NorvikExport maintainers <maintainers@users.noreply.c-seed-6e1eb655.example>"
    CACHE STRING "The Maintainer of the Debian package")

# The package's version is the project's; its changelog must say the same.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^norvik-export \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog does not begin with version ${PROJECT_VERSION}: "
                      "${changelog_head}")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME norvik-export)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${NORVIK_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${NORVIK_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# bash-completion reads the completion file; the -dev packages are what norvik-export.pc (and
# norvik-export-ui.pc) require; German texts of Qt's own dialogs.
set(suggests bash-completion pkg-config libfmt-dev libsqlite3-dev libpq-dev unixodbc-dev
             libxml2-dev libzip-dev nettle-dev)
if(NORVIK_UI)
  list(APPEND suggests qt6-base-dev qt6-translations-l10n)
endif()
list(JOIN suggests ", " CPACK_DEBIAN_PACKAGE_SUGGESTS)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "export definitions and GDPdU data media for business data")
set(CPACK_PACKAGE_DESCRIPTION
    "NorvikExport writes data from a business application's database into text
files for other programs, driven by export definitions (.EXP), and builds
GDPdU data media for German tax auditors from profiles (.GDU): the data files,
Index.xml and a check of the finished medium. It reads SQLite, PostgreSQL and
ODBC databases.

This package holds the command line tool norvik-export with its man page and
bash completion, menu entries for its two dialogs (data export and GDPdU data
medium), the demo's definitions as examples, and for host applications the
component as static libraries with their public headers, the CMake package
NorvikExport and the pkg-config file norvik-export.")
include(CPack)
