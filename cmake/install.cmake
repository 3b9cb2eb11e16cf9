# What `cmake --install` puts into the prefix: the layers as the exported CMake target
# NorvikExport::core with their public headers, a pkg-config file, the norvik-export tool with its
# man page and bash completion, the desktop entries of its dialogs with their icon, its README,
# copyright, changelog and the demo's definitions as examples.
include(CMakePackageConfigHelpers)
include(public_headers)

set(NORVIK_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/NorvikExport)
set(NORVIK_LAYERS common db host definition engine medium check gdpdu)
if(NORVIK_UI)
  # The dialogs and the entry object, with the layers beneath them: NorvikExport::ui.
  list(APPEND NORVIK_LAYERS selection forms ui)
endif()

norvik_public_headers(${PROJECT_SOURCE_DIR}/src public_headers)
foreach(header ${public_headers})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/src/${header}
          DESTINATION ${NORVIK_INSTALL_INCLUDEDIR}/${folder})
endforeach()

list(TRANSFORM NORVIK_LAYERS PREPEND norvik_ OUTPUT_VARIABLE layer_targets)
install(TARGETS ${layer_targets} norvik_core
        EXPORT NorvikExportTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT NorvikExportTargets
        NAMESPACE NorvikExport::
        FILE NorvikExportTargets.cmake
        DESTINATION ${NORVIK_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/NorvikExportConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/NorvikExportConfig.cmake
                              INSTALL_DESTINATION ${NORVIK_CMAKE_DIR})
# Before 1.0 a minor version may break the interface.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/NorvikExportConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION}
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/NorvikExportConfig.cmake
              ${PROJECT_BINARY_DIR}/NorvikExportConfigVersion.cmake
        DESTINATION ${NORVIK_CMAKE_DIR})

# The .pc file finds its prefix from where it lies, so that the tree can be installed anywhere.
set(pc_libs "")
# Static libraries: each before those it uses.
foreach(layer gdpdu check medium engine definition host db common)
  string(APPEND pc_libs " -lnorvik_${layer}")
endforeach()
if(IS_ABSOLUTE ${CMAKE_INSTALL_LIBDIR})
  set(pc_prefix ${CMAKE_INSTALL_PREFIX})
else()
  file(RELATIVE_PATH pc_up /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
  string(REGEX REPLACE "/$" "" pc_up "${pc_up}")
  set(pc_prefix "\${pcfiledir}/${pc_up}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/norvik-export.pc.in
               ${PROJECT_BINARY_DIR}/norvik-export.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/norvik-export.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(NORVIK_UI)
  # The dialogs for pkg-config, as the component ui is for CMake: the layers above the core.
  set(pc_ui_libs "")
  foreach(layer ui forms selection)
    string(APPEND pc_ui_libs " -lnorvik_${layer}")
  endforeach()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/norvik-export-ui.pc.in
                 ${PROJECT_BINARY_DIR}/norvik-export-ui.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/norvik-export-ui.pc
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()

install(TARGETS norvik-export RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(NORVIK_UI)
  # The dialog program is norvik-export's own: its gui command starts it.
  install(TARGETS norvik-export-gui RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/norvik-export)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/norvik-export.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME norvik-export)

# The man page is made from the tool's own help texts once it is built.
find_program(HELP2MAN help2man)
if(HELP2MAN)
  set(NORVIK_MAN_PAGE ${PROJECT_BINARY_DIR}/norvik-export.1)
  add_custom_command(
    OUTPUT ${NORVIK_MAN_PAGE}
    COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:norvik-export> -DHELP2MAN=${HELP2MAN}
            -DOUT=${NORVIK_MAN_PAGE} -DEXTRA=${PROJECT_SOURCE_DIR}/packaging/norvik-export.h2m
            -P ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
    DEPENDS norvik-export ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
            ${PROJECT_SOURCE_DIR}/packaging/norvik-export.h2m
    COMMENT "Writing the man page of norvik-export")
  # Installed compressed, as man finds it and a Debian package must carry it.
  add_custom_command(
    OUTPUT ${NORVIK_MAN_PAGE}.gz
    COMMAND gzip -9 -n -k -f ${NORVIK_MAN_PAGE}
    DEPENDS ${NORVIK_MAN_PAGE})
  add_custom_target(norvik-export-man ALL DEPENDS ${NORVIK_MAN_PAGE} ${NORVIK_MAN_PAGE}.gz)
  install(FILES ${NORVIK_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: norvik-export is installed without its man page")
endif()

# The dialogs in the desktop's menu, each opened by its own entry, with the program's icon.
if(NORVIK_UI)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/norvik-export-datenexport.desktop
                ${PROJECT_SOURCE_DIR}/packaging/norvik-export-gdpdu.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/norvik-export.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  # hicolor's fallback size, for menus that draw no SVG.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/norvik-export.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
endif()

# The README (the user's reference of the command line and the formats), the copyright and the
# changelog where Debian keeps them; texts over 4 kB compressed as Debian's policy asks.
set(NORVIK_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/norvik-export)
set(doc_compressed)
foreach(doc changelog:packaging/changelog README.md:README.md)
  string(REPLACE ":" ";" doc ${doc})
  list(GET doc 0 name)
  list(GET doc 1 source)
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${PROJECT_BINARY_DIR}/${name}
    COMMAND gzip -9 -n -f ${PROJECT_BINARY_DIR}/${name}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source})
  list(APPEND doc_compressed ${PROJECT_BINARY_DIR}/${name}.gz)
endforeach()
add_custom_target(norvik-export-docs ALL DEPENDS ${doc_compressed})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${doc_compressed}
        DESTINATION ${NORVIK_DOC_DIR})
# The demo's definitions and GDPdU profile, as `demo` writes them into a home.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/demo/definitions/ DESTINATION ${NORVIK_DOC_DIR}/examples)
