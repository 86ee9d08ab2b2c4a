# Where things go on install, and the packages CPack makes from that.
#   Linux:   <prefix>/lib/vst/lotta_router.so, <prefix>/lib/lv2/lotta_router.lv2/ (the bundle:
#            manifest.ttl, lotta_router.ttl, lotta_router.so),
#            <prefix>/lib/vst3/lotta_router.vst3/Contents/x86_64-linux/lotta_router.so,
#            <prefix>/lib/clap/lotta_router.clap,
#            <prefix>/bin/vst2host, <prefix>/share/doc/lotta_router/README.md
#   Windows: the DLL, the .clap, vst2host.exe and a short text at the top of the folder, as users unzip
#            it straight into their VST folder or anywhere else; beside them the VST 3 bundle,
#            lotta_router.vst3/Contents/x86_64-win (or x86-win)/lotta_router.vst3.
include(GNUInstallDirs)
# Installing and packaging take what the build made; they do not build first (so the package
# test, run by CTest, never starts a build of its own).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

if(WIN32)
  install(TARGETS lotta_router RUNTIME DESTINATION . LIBRARY DESTINATION .)
  if(TARGET lotta_router_clap)
    install(TARGETS lotta_router_clap LIBRARY DESTINATION .)
  endif()
  if(TARGET vst2host)
    install(TARGETS vst2host RUNTIME DESTINATION .)
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/product/INSTALL-windows.txt DESTINATION . RENAME README.txt)
  if(TARGET lotta_router_vst3)
    get_target_property(arch lotta_router_vst3 LOTTA_VST3_ARCH)
    install(TARGETS lotta_router_vst3 RUNTIME DESTINATION lotta_router.vst3/Contents/${arch})
  endif()
else()
  # lib/vst under /usr and /usr/local is where Linux hosts look for VST 2 plug-ins by default.
  # Not the multiarch libdir: hosts look in lib/vst itself.
  install(TARGETS lotta_router LIBRARY DESTINATION lib/vst)
  # lib/lv2 likewise: LV2 hosts search <prefix>/lib/lv2, whatever the distribution's libdir.
  if(TARGET lotta_router_lv2)
    get_target_property(bundle lotta_router_lv2 LOTTA_LV2_BUNDLE)
    install(TARGETS lotta_router_lv2 LIBRARY DESTINATION lib/lv2/lotta_router.lv2)
    install(FILES ${bundle}/manifest.ttl ${bundle}/lotta_router.ttl
            DESTINATION lib/lv2/lotta_router.lv2)
  endif()
  # lib/vst3 likewise: VST 3 hosts search <prefix>/lib/vst3 for bundles.
  if(TARGET lotta_router_vst3)
    get_target_property(arch lotta_router_vst3 LOTTA_VST3_ARCH)
    install(TARGETS lotta_router_vst3
            LIBRARY DESTINATION lib/vst3/lotta_router.vst3/Contents/${arch})
  endif()
  # lib/clap under /usr is where Linux CLAP hosts look (and ~/.clap, CLAP_PATH).
  if(TARGET lotta_router_clap)
    install(TARGETS lotta_router_clap LIBRARY DESTINATION lib/clap)
  endif()
  if(TARGET vst2host)
    install(TARGETS vst2host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lotta_router)
endif()

set(CPACK_PACKAGE_NAME lotta_router)
set(CPACK_PACKAGE_VENDOR Kelvane)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Kelvane_Lotta router: a VST 2, VST 3, LV2 and CLAP effect that copies inputs 1/2 to any of eight stereo buses")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_SYSTEM_NAME win32)
  else()
    set(CPACK_SYSTEM_NAME win64)
  endif()
  # The files sit at the top of the archive, ready to drop into a VST folder.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR TGZ)
  set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
  # Unpacked over a prefix (/usr/local, ~/.local) the files land where install puts them.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
include(CPack)
if(WIN32)
  set(LOTTA_PACKAGE_FILE ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME}.zip)
else()
  set(LOTTA_PACKAGE_FILE ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME}.tar.gz)
endif()
