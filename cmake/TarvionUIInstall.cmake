# What `cmake --install` puts in place for programs of their own built on the framework: the
# headers (include/tarvion-ui/ui/..., include/tarvion-ui/platform/...), the static libraries, a
# CMake package (find_package(TarvionUI) gives the imported target TarvionUI::TarvionUI, which
# brings the system libraries the backends need) and a pkg-config file (tarvion-ui.pc).
# Included from the top-level CMakeLists.txt after the libraries are declared.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TVU_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/tarvion-ui)
set(TVU_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/TarvionUI)

# The libraries, from the top layer down (the order a one-pass linker wants); the framework's
# layers call each other both ways, so consumers link them as one group anyway.
set(TVU_INSTALL_LIBRARIES tvui_builder tvui_controls tvui_manager tvui_render tvui_skin tvui_core
                          tvu_platform_backends)
foreach(backend codecs linux cairo sdl headless)
    list(APPEND TVU_INSTALL_LIBRARIES tvu_platform_${backend})
endforeach()
list(APPEND TVU_INSTALL_LIBRARIES tvu_platform)

# The system libraries behind them, as pkg-config modules (the same the build found).
set(TVU_INSTALL_PKG_MODULES sdl2 cairo pangocairo fontconfig pangoft2 sqlite3 zlib libpng libjpeg)
pkg_check_modules(TVU_INSTALL_XSHAPE QUIET x11 xext) # the SDL backend uses them when they are there
if(TVU_INSTALL_XSHAPE_FOUND)
    list(APPEND TVU_INSTALL_PKG_MODULES x11 xext)
endif()

foreach(library ${TVU_INSTALL_LIBRARIES})
    install(FILES $<TARGET_FILE:${library}> DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT TarvionUI)
endforeach()

foreach(folder core skin render controls manager builder)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/ui/${folder}/ DESTINATION ${TVU_INSTALL_INCLUDEDIR}/ui/${folder}
            COMPONENT TarvionUI FILES_MATCHING PATTERN "*.h")
endforeach()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/ DESTINATION ${TVU_INSTALL_INCLUDEDIR}/platform COMPONENT TarvionUI
        FILES_MATCHING PATTERN "*.h" PATTERN "win32" EXCLUDE PATTERN "gdi" EXCLUDE PATTERN "backends" EXCLUDE)

# CMake package.
string(REPLACE ";" " " TVU_PKG_MODULES_SPACED "${TVU_INSTALL_PKG_MODULES}")
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/TarvionUIConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/package/TarvionUIConfig.cmake
                              INSTALL_DESTINATION ${TVU_INSTALL_CMAKEDIR}
                              PATH_VARS TVU_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/TarvionUIConfigVersion.cmake VERSION 1.0.0
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/package/TarvionUIConfig.cmake
              ${PROJECT_BINARY_DIR}/package/TarvionUIConfigVersion.cmake
        DESTINATION ${TVU_INSTALL_CMAKEDIR} COMPONENT TarvionUI)

# pkg-config file. Its prefix is found from where the file lies, so the tree can be moved.
file(RELATIVE_PATH TVU_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
set(TVU_PC_LIBS "")
foreach(library ${TVU_INSTALL_LIBRARIES})
    string(APPEND TVU_PC_LIBS " -l${library}")
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/cmake/tarvion-ui.pc.in ${PROJECT_BINARY_DIR}/package/tarvion-ui.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/package/tarvion-ui.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT TarvionUI)
