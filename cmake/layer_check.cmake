# The test layers.includes: each layer's sources include only its own headers and those of the
# layers it links (directly or through others), so that the headers cannot reach further down or
# up than the libraries do. The layers are listed from the bottom up: a layer that links one
# listed after it (an upward arrow, or a cycle) fails the test too. Checked in the full build:
# without the dialogs the host's gui command is left out but still lies in its folder.
if(NOT TARGET norvik_ui)
  return()
endif()
set(NORVIK_CHECKED_LAYERS common db host definition engine medium check gdpdu selection forms ui
    standalone gui)
# Layers held to fewer links than the order allows, as "layer:linked,linked…": the model stays
# free of the host, and the check of a medium reads it without the writer's machinery.
set(NORVIK_LAYER_LIMITS "definition:common" "medium:common" "check:medium,common")

# Sets out_var to the layers (without the norvik_ prefix) that target links, directly or not.
function(norvik_linked_layers target out_var)
  set(found "")
  set(pending ${target})
  while(pending)
    list(POP_FRONT pending current)
    get_target_property(links ${current} LINK_LIBRARIES)
    foreach(link IN LISTS links)
      if(link MATCHES "^norvik_(.+)$" AND NOT CMAKE_MATCH_1 IN_LIST found)
        list(APPEND found ${CMAKE_MATCH_1})
        list(APPEND pending ${link})
      endif()
    endforeach()
  endwhile()
  set(${out_var} ${found} PARENT_SCOPE)
endfunction()

set(layer_rules "")
foreach(layer IN LISTS NORVIK_CHECKED_LAYERS)
  norvik_linked_layers(norvik_${layer} linked)
  list(JOIN linked "," linked)
  list(APPEND layer_rules "${layer}:${linked}")
endforeach()
add_test(NAME layers.includes
  COMMAND ${CMAKE_COMMAND} "-DRULES=${layer_rules}" "-DLIMITS=${NORVIK_LAYER_LIMITS}"
          -DSOURCE_DIR=${PROJECT_SOURCE_DIR}/src -P ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake)
set_tests_properties(layers.includes PROPERTIES TIMEOUT 60)
