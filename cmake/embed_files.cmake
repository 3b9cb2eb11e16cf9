# Writes the FILES (separated by "|") into OUT as a table of (name, UTF-8 text) for the demo
# command.
string(REPLACE "|" ";" files "${FILES}")
list(SORT files)
set(body "// Generated from demo/definitions; do not edit.\n#include \"standalone/demo_files.h\"\n\nnamespace norvik::standalone {\n\nconst std::vector<EmbeddedFile>& DemoFiles() {\n    static const std::vector<EmbeddedFile> files = {\n")
foreach(f ${files})
  get_filename_component(name ${f} NAME)
  file(READ ${f} text)
  string(APPEND body "        {\"${name}\", R\"NXDEMO(${text})NXDEMO\"},\n")
endforeach()
string(APPEND body "    };\n    return files;\n}\n\n}  // namespace norvik::standalone\n")
file(WRITE ${OUT} "${body}")
