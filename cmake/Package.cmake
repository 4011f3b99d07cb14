# The Debian package of both programs (cpack -G DEB in a release build, or
# bash scripts/package.sh): what `cmake --install` puts below the prefix,
# installed below /usr, its dependencies read from the shared libraries that
# the programs link.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tagmill)
set(CPACK_PACKAGE_VENDOR "The Tagmill developers")
set(CPACK_PACKAGE_CONTACT "The Tagmill developers <developers@tagmill.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "link the comment tags of HTML templates to web-form fields")
# Lines of the description stay under 80 columns, as dpkg shows them.
set(CPACK_PACKAGE_DESCRIPTION
    "Tagmill prepares HTML templates for being filled from web-form
submissions: it shows the form fields that a job folder's e-mails carry
beside a document's source, and links the document's comment tags to fields.
The vantix command scripts, inspects and tests the data that Tagmill and its
suite share.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The package's first revision of this version: changelog.Debian is its history.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://tagmill.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# vantix runs the commands that ask the font database on Qt's offscreen platform when there is
# no display, and that plugin comes with the other platform plugins, which Qt only recommends.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# Offscreen and on screen, text is drawn with these; Arial and Courier New,
# which the suite's documents name, fall back to their metric twins.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, fonts-liberation")
set(CPACK_STRIP_FILES ON)
# The Debian changelog goes into the package alone: an installation elsewhere has no use for it.
set(CPACK_INSTALL_SCRIPTS ${PROJECT_SOURCE_DIR}/resources/install/DebianChangelog.cmake)
include(CPack)
