# The Windows programs as a ZIP archive (cpack -G ZIP): one folder holding virelo-check.exe (and
# virelo.exe where Qt was found), the Java test class beside them, the README and the licence.
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_PACKAGE_NAME virelo)
set(CPACK_PACKAGE_VENDOR "The Virelo developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win64)
set(CPACK_GENERATOR ZIP)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
