# The example host as an application runs it: a demo home, then a definition run through the
# manager's engine without a dialog, then a wrong call.
file(REMOVE_RECURSE ${WORK_DIR})

# The per-user store of the runs stays inside the work folder.
set(ENV{XDG_CONFIG_HOME} ${WORK_DIR}/config)

function(run expected)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL expected)
    message(FATAL_ERROR "exit ${result}, expected ${expected}: ${ARGN}\n${out}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

run(0 ${CLI} --home ${WORK_DIR} demo)
run(0 ${EXAMPLE} ${WORK_DIR} sqlite:${WORK_DIR}/host.sqlite run KONTENPLAN.EXP)
if(NOT output MATCHES "Schnittstelle: ")
  message(FATAL_ERROR "no summary of the run: ${output}")
endif()
file(READ ${WORK_DIR}/Daten/kontenplan.txt data)
string(LENGTH "${data}" size)
if(size EQUAL 0)
  message(FATAL_ERROR "the run wrote no data")
endif()
run(1 ${EXAMPLE} ${WORK_DIR} sqlite:${WORK_DIR}/host.sqlite run FEHLT.EXP)
run(2 ${EXAMPLE} ${WORK_DIR} sqlite:${WORK_DIR}/host.sqlite)
