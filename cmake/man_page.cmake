# Writes OUT, the man page of CLI, with help2man from its --help and --version and a section with
# every command's own --help.
set(commands demo list show save new run gdpdu check protocol settings)
set(include_file ${OUT}.include)
set(text "[BEFEHLE]\n")
foreach(command ${commands})
  execute_process(COMMAND ${CLI} ${command} --help
                  OUTPUT_VARIABLE help RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${CLI} ${command} --help failed: ${result}")
  endif()
  # roff: a backslash is written as \e; the usage keeps its lines.
  string(REPLACE "\\" "\\e" help "${help}")
  string(APPEND text ".SS ${command}\n.nf\n${help}.fi\n")
endforeach()
file(WRITE ${include_file} "${text}")
execute_process(
  COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section=1
          "--name=Exportdefinitionen und GDPdU-Datenträger von NorvikExport"
          --include=${include_file} --output=${OUT} ${CLI}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "help2man failed: ${result}")
endif()
