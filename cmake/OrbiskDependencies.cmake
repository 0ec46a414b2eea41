# Every third-party library the project uses, found once and exposed as a target.
# All of them come from Debian packages installed by scripts/setup.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(OpenCV 4 REQUIRED COMPONENTS core imgproc imgcodecs video)
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets PrintSupport Test)
find_package(GTest REQUIRED)
find_package(benchmark REQUIRED)
# zlib: the tests write the deflate streams of hostile PNG files themselves.
find_package(ZLIB REQUIRED)

pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)
pkg_check_modules(TIFF REQUIRED IMPORTED_TARGET libtiff-4)
pkg_check_modules(ZBAR REQUIRED IMPORTED_TARGET zbar)
pkg_check_modules(UDEV REQUIRED IMPORTED_TARGET libudev)
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
pkg_check_modules(TESSERACT REQUIRED IMPORTED_TARGET tesseract)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libswresample libavutil)

# libharu and libzint ship no pkg-config file on Debian 12.
find_path(HPDF_INCLUDE_DIR hpdf.h REQUIRED)
find_library(HPDF_LIBRARY hpdf REQUIRED)
add_library(orbisk::hpdf INTERFACE IMPORTED)
target_include_directories(orbisk::hpdf INTERFACE ${HPDF_INCLUDE_DIR})
target_link_libraries(orbisk::hpdf INTERFACE ${HPDF_LIBRARY})

find_path(ZINT_INCLUDE_DIR zint.h REQUIRED)
find_library(ZINT_LIBRARY zint REQUIRED)
add_library(orbisk::zint INTERFACE IMPORTED)
target_include_directories(orbisk::zint INTERFACE ${ZINT_INCLUDE_DIR})
target_link_libraries(orbisk::zint INTERFACE ${ZINT_LIBRARY})

add_library(orbisk::opencv INTERFACE IMPORTED)
target_include_directories(orbisk::opencv INTERFACE ${OpenCV_INCLUDE_DIRS})
target_link_libraries(orbisk::opencv INTERFACE ${OpenCV_LIBS})

# FreeType renders the glyphs the recognition template is trained on (tools/ocr_train).
find_package(Freetype REQUIRED)
