# The published DTDs of the GDPdU description standard. The tool looks for them below its prefix
# (share/norvik-export/gdpdu), so the build tree holds a copy where the installation puts them.
set(NORVIK_DTD_SUBDIR ${CMAKE_INSTALL_DATADIR}/norvik-export/gdpdu)
set(NORVIK_PUBLISHED_DTDS gdpdu-01-08-2002.dtd gdpdu-01-09-2004.dtd)
foreach(dtd ${NORVIK_PUBLISHED_DTDS})
  configure_file(${PROJECT_SOURCE_DIR}/data/gdpdu/${dtd}
                 ${PROJECT_BINARY_DIR}/${NORVIK_DTD_SUBDIR}/${dtd} COPYONLY)
  install(FILES ${PROJECT_SOURCE_DIR}/data/gdpdu/${dtd} DESTINATION ${NORVIK_DTD_SUBDIR})
endforeach()
