# Writes OUT, the man page of CLI, with help2man from its --help and --version, a section with
# every command's own --help and the sections of EXTRA.
set(commands demo list show save new run gdpdu check params protocol settings gui)
set(include_file ${OUT}.include)
file(READ ${EXTRA} text)
# The name as a section: help2man would encode a --name argument a second time.
string(APPEND text "\n[NAME]\nnorvik-export \\- Exportdefinitionen und GDPdU-Datenträger von "
                   "NorvikExport\n\n[BEFEHLE]\n")
foreach(command ${commands})
  execute_process(COMMAND ${CLI} ${command} --help
                  OUTPUT_VARIABLE help RESULT_VARIABLE result)
  # gui is missing from a build without the dialogs.
  if(NOT result EQUAL 0 AND command STREQUAL "gui")
    continue()
  endif()
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${CLI} ${command} --help failed: ${result}")
  endif()
  # roff: a backslash is written as \e; the usage keeps its lines.
  string(REPLACE "\\" "\\e" help "${help}")
  string(APPEND text ".SS ${command}\n.nf\n${help}.fi\n")
endforeach()
file(WRITE ${include_file} "${text}")
# The help is UTF-8; under help2man's default locale C its umlauts would be lost.
execute_process(
  COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section=1 --locale=C.UTF-8
          --include=${include_file} --output=${OUT} ${CLI}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "help2man failed: ${result}")
endif()
