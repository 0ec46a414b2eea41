# The Debian package (scripts/package): `cpack -G DEB` in a build configured
# with CMAKE_INSTALL_PREFIX=/usr. It holds everything the install rules put in
# place, so a file a later rule installs (into share/orbisk or elsewhere)
# joins the package without a change here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orbisk)
# All four numbers, as the metainfo and the changelog give them.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "orbisk developers")
set(CPACK_PACKAGE_CONTACT "orbisk developers <orbisk@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "capture program of a document camera")
set(CPACK_PACKAGE_DESCRIPTION
    "The desktop capture program of a document camera: a USB camera on a stand that\n"
    "looks down on paper, optionally with a second portrait camera. The operator\n"
    "sees the live picture and turns documents into images, one PDF or multi-page\n"
    "TIFF per batch, printed copies and barcode contents. Texts in simplified\n"
    "Chinese, traditional Chinese and English.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_HOMEPAGE_URL "https://example.org/orbisk")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the program loads at run time that no library link shows: Qt's
# platform plugins (the window) and image plugins (TIF thumbnails), the fonts
# its pictures are drawn with, and Tesseract's data for page recognition in
# the three languages.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-image-formats-plugins, fonts-noto-cjk, fonts-liberation2, fonts-dejavu-core, tesseract-ocr-chi-sim, tesseract-ocr-chi-tra, tesseract-ocr-eng")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/res/debian/postinst ${PROJECT_SOURCE_DIR}/res/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
