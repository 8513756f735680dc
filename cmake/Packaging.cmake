# `cpack -G DEB` in a build folder makes one Debian package holding both
# programs. Its dependencies are those of the binaries and the module, found
# by dpkg-shlibdeps (libtiff, libjpeg-turbo, libpng and OpenEXR among them),
# and the Qt platform plugins the desktop program needs to open a window at
# all. Configure with -DCMAKE_INSTALL_PREFIX=/usr so
# that the module lands in the multiarch library folder the program looks in.
set(CPACK_PACKAGE_NAME "tovi-lut-converter")
set(CPACK_PACKAGE_VENDOR "Tovi LUT Converter developers")
set(CPACK_PACKAGE_CONTACT "Tovi LUT Converter developers <maintainers@tovi-lut-converter.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert colour look-up tables between formats")
set(CPACK_PACKAGE_DESCRIPTION
  "Moves colour look-up tables (LUTs) between grading systems, monitors, cameras and
compositing applications: files recognised by content and written through
output profiles, ICC profiles to LUTs and back, merging, Hald images and a
preview. The desktop
program tovi-lut-converter and its command-line twin tovilut share one library.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TOVI_BUILD_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
include(CPack)
