# The Windows packages (included by the top-level CMakeLists before CPack).
set(CPACK_GENERATOR "NSIS;ZIP")
set(CPACK_PACKAGE_FILE_NAME "quorvanta-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quorvanta)
set(CPACK_RESOURCE_FILE_LICENSE ${QV_WINDOWS_LICENCE})
# A portable copy unpacks into a folder of its own.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)

# The installer: for every user of the machine, under the 64-bit Program Files.
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Quorvanta)
set(CPACK_NSIS_DISPLAY_NAME Quorvanta)
set(CPACK_PACKAGE_EXECUTABLES quorvanta Quorvanta)  # the Start-menu entry
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME quorvanta.exe)
set(_icon "${PROJECT_SOURCE_DIR}/packaging/windows/quorvanta.ico")
set(CPACK_NSIS_MUI_ICON ${_icon})
set(CPACK_NSIS_MUI_UNIICON ${_icon})
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_URL_INFO_ABOUT "https://quorvanta.example.org/")
set(CPACK_NSIS_CONTACT "quorvanta@example.org")
# A 64-bit installer for the 64-bit programs (Debian's makensis has the amd64 stubs).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
