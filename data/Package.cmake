# The Debian package, made by `cpack -G DEB` (scripts/package.sh). It installs
# under the prefix the build was configured with, because the program looks
# for its course in <prefix>/share/quorvane as compiled in.
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "Quorvane developers")
set(CPACK_PACKAGE_CONTACT "Quorvane developers <quorvane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "English grammar tutor for Chinese-speaking learners")
set(CPACK_PACKAGE_DESCRIPTION
  "Quorvane teaches English grammar in Chinese: pick a lesson in the chapter tree and study it as an animated movie or as a text lesson that can be copied, saved, printed and read aloud by an offline Chinese voice. The package carries a sample course; lesson folders of Quorvane 2009.0106 for Windows can be used as they are.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links (Qt, espeak-ng, FFmpeg, zlib, liblzma)
# come from dpkg-shlibdeps; what it loads or reads at run time does not show
# in the binary: the Mandarin voice data, a font with Han characters, Qt's
# Chinese button texts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "espeak-ng, espeak-ng-data, fonts-wqy-microhei, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-arphic-uming, fonts-liberation2, pulseaudio | pipewire-pulse")
include(CPack)
