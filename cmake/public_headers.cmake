# The headers a host needs to use the component: the roots below and every project header they
# include, found by following their #include "…" lines. Internals (the VB format machinery,
# database back ends, readers and writers, the standalone host) stay out of the install.
set(NORVIK_PUBLIC_HEADER_ROOTS
    common/vb_error.h
    common/value.h
    db/connection.h
    db/record_set.h
    host/host_session.h
    host/host_messages.h
    host/host_settings.h
    host/module_state.h
    host/protocol.h
    host/db_protocol.h
    host/shell_service.h
    host/cancel_request.h
    host/host_services.h
    host/busy_pointer.h
    host/user_settings.h
    definition/tq_model.h
    definition/tq_collection.h
    engine/tq_export.h
    gdpdu/tq_gdpdu.h
    gdpdu/tq_gxp_files.h)
if(NORVIK_UI)
  list(APPEND NORVIK_PUBLIC_HEADER_ROOTS ui/tq_exp_mgr.h)
endif()

# Sets out_var to the roots and their included project headers, relative to source_dir.
function(norvik_public_headers source_dir out_var)
  set(found "")
  set(pending ${NORVIK_PUBLIC_HEADER_ROOTS})
  while(pending)
    list(POP_FRONT pending header)
    if(header IN_LIST found)
      continue()
    endif()
    if(NOT EXISTS ${source_dir}/${header})
      message(FATAL_ERROR "public header ${header} not found in ${source_dir}")
    endif()
    list(APPEND found ${header})
    file(STRINGS ${source_dir}/${header} lines REGEX "^#include \"")
    foreach(line ${lines})
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
      list(APPEND pending ${included})
    endforeach()
  endwhile()
  # A header that starts to include another one changes the set.
  list(TRANSFORM found PREPEND ${source_dir}/ OUTPUT_VARIABLE paths)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${paths})
  list(SORT found)
  set(${out_var} ${found} PARENT_SCOPE)
endfunction()
