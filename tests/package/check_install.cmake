# Installs the build into a fresh prefix and builds a host program against it twice: with
# find_package(NorvikExport) and with pkg-config. With DEB the build is packed by cpack instead
# and the Debian package unpacked, as dpkg would install it below /usr. Fails on the first step
# that goes wrong.
file(REMOVE_RECURSE ${WORK_DIR})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}\n${out}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

# The per-user store of the runs stays inside the work folder.
set(ENV{XDG_CONFIG_HOME} ${WORK_DIR}/config)

if(DEB)
  run(${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}/cpack)
  file(GLOB deb ${WORK_DIR}/cpack/norvik-export_${VERSION}_*.deb)
  if(NOT deb)
    message(FATAL_ERROR "cpack wrote no package norvik-export_${VERSION}_*.deb")
  endif()
  run(dpkg-deb -x ${deb} ${WORK_DIR}/root)
  set(prefix ${WORK_DIR}/root/usr)
  # dpkg-shlibdeps names the libraries the tool links.
  run(dpkg-deb -f ${deb} Depends)
  foreach(package libc6 libpq5 libsqlite3-0 libxml2)
    if(NOT output MATCHES "(^|, )${package} ")
      message(FATAL_ERROR "the package does not depend on ${package}: ${output}")
    endif()
  endforeach()
else()
  set(prefix ${WORK_DIR}/prefix)
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
endif()

# The dialogs' desktop entries, each with the gui command that opens it.
set(desktop_entries norvik-export-datenexport.desktop:export norvik-export-gdpdu.desktop:gdpdu)
file(STRINGS ${SOURCE_DIR}/installed.tsv entries REGEX "^[a-z]+\t")
foreach(entry ${entries})
  string(CONFIGURE "${entry}" entry @ONLY)
  string(REGEX MATCH "^[a-z]+" when "${entry}")
  string(REGEX REPLACE "^[a-z]+\t" "" file "${entry}")
  if(when STREQUAL "internal" AND EXISTS ${prefix}/${file})
    message(FATAL_ERROR "installed, but internal: ${file}")
  elseif((when STREQUAL "always" OR (when STREQUAL "man" AND WITH_MAN) OR
          (when STREQUAL "ui" AND WITH_UI)) AND NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
if(WITH_MAN)
  run(gzip -dc ${prefix}/${MANDIR}/man1/norvik-export.1.gz)
  set(man "${output}")
  foreach(part "norvik-export" ".SS run" "--no-protocol" ".SS gdpdu" ".SS params" "GDPdU-Datenträger"
               ".SH ENVIRONMENT" ".SH FILES" ".SH \"EXIT STATUS\"" ".SH EXAMPLES"
               # the format reference, installed below (the template of new names it too)
               "/usr/share/doc/norvik\\-export/README.md.gz")
    string(FIND "${man}" "${part}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the man page lacks ${part}")
    endif()
  endforeach()
endif()

run(gzip -dc ${prefix}/share/doc/norvik-export/README.md.gz)
if(NOT output MATCHES "^# NorvikExport\n")
  message(FATAL_ERROR "share/doc/norvik-export/README.md.gz is not the README")
endif()
if(WITH_UI)
  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
  foreach(entry ${desktop_entries})
    string(REPLACE ":" ";" entry ${entry})
    list(GET entry 0 file)
    list(GET entry 1 dialog)
    file(STRINGS ${prefix}/share/applications/${file} exec REGEX "^Exec=")
    if(NOT exec STREQUAL "Exec=norvik-export gui ${dialog}")
      message(FATAL_ERROR "${file} does not open the dialog ${dialog}: ${exec}")
    endif()
    # Valid means not a word from the validator, hints included.
    if(DESKTOP_FILE_VALIDATE)
      run(${DESKTOP_FILE_VALIDATE} ${prefix}/share/applications/${file})
      if(NOT output STREQUAL "")
        message(FATAL_ERROR "desktop-file-validate ${file}:\n${output}")
      endif()
    endif()
  endforeach()
endif()

run(${prefix}/bin/norvik-export --version)
if(NOT output STREQUAL "norvik-export ${VERSION}\n")
  message(FATAL_ERROR "unexpected version: ${output}")
endif()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/host -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/host)
run(${WORK_DIR}/host/host)
if(NOT output STREQUAL "ok\n")
  message(FATAL_ERROR "the host program built with find_package said: ${output}")
endif()

set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
run(pkg-config --cflags --libs norvik-export)
separate_arguments(flags UNIX_COMMAND "${output}")
run(${CXX} -std=c++20 ${SOURCE_DIR}/main.cpp ${flags} -o ${WORK_DIR}/host-pc)
run(${WORK_DIR}/host-pc)
if(NOT output STREQUAL "ok\n")
  message(FATAL_ERROR "the host program built with pkg-config said: ${output}")
endif()

# The example host, built against the installed dialogs, runs a definition of a demo home (once:
# the package holds the same tree).
if(WITH_UI AND NOT DEB)
  run(${CMAKE_COMMAND} -S ${EXAMPLE_DIR} -B ${WORK_DIR}/example -G ${GENERATOR}
      -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix})
  run(${CMAKE_COMMAND} --build ${WORK_DIR}/example)
  run(${prefix}/bin/norvik-export --home ${WORK_DIR}/home demo)
  run(${WORK_DIR}/example/norvik-host-example ${WORK_DIR}/home sqlite:${WORK_DIR}/home/host.sqlite
      run KONTENPLAN.EXP)
  if(NOT EXISTS ${WORK_DIR}/home/Daten/kontenplan.txt)
    message(FATAL_ERROR "the installed example host wrote no data: ${output}")
  endif()
  # The same host links through pkg-config's norvik-export-ui.
  run(pkg-config --cflags --libs norvik-export-ui)
  separate_arguments(flags UNIX_COMMAND "${output}")
  run(${CXX} -std=c++20 ${EXAMPLE_DIR}/main.cpp ${flags} -o ${WORK_DIR}/example-pc)
endif()

file(REMOVE_RECURSE ${WORK_DIR})
