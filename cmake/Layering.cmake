# The layers as drawn: what each of our libraries may reach through its link interface.
# vandrel_check_layering() runs at the end of every configure and stops it on a violation; the
# `layering` test runs this file as a script over the graph that configure wrote, and first
# makes sure each rule would catch a link it forbids.
#
# A library "reaches" what it links and, through our own libraries, what they link; imported
# targets (Qt, QCoro) count as reached but are not looked into.

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.24)
endif()

# ONLY: everything reached must be in the list. NEVER: none of the list may be reached.
set(VANDREL_LAYER_RULES
    "vandrel_core_text ONLY Qt6::Core"
    "vandrel_core ONLY Qt6::Core vandrel_core_text"
    "vandrel_channel ONLY Qt6::Core"
    "vandrel_phonesim ONLY Qt6::Core vandrel_channel vandrel_core_text"
    "vandrel_link NEVER vandrel_ui vandrel_phonesim Qt6::Gui Qt6::Widgets"
    "vandrel_ui NEVER vandrel_phonesim")

# What `target` reaches, from the VANDREL_DEPS_<target> lists of the graph.
function(vandrel_layer_reach target out)
  set(_seen "")
  set(_todo ${VANDREL_DEPS_${target}})
  while(_todo)
    list(POP_FRONT _todo _next)
    if(NOT _next IN_LIST _seen)
      list(APPEND _seen "${_next}")
      if(DEFINED VANDREL_DEPS_${_next})
        list(APPEND _todo ${VANDREL_DEPS_${_next}})
      endif()
    endif()
  endwhile()
  set(${out} "${_seen}" PARENT_SCOPE)
endfunction()

# One message per broken rule ("" when the graph keeps every rule).
function(vandrel_layer_violations out)
  set(_found "")
  foreach(_rule IN LISTS VANDREL_LAYER_RULES)
    separate_arguments(_words UNIX_COMMAND "${_rule}")
    list(POP_FRONT _words _target _kind)
    if(NOT DEFINED VANDREL_DEPS_${_target})
      list(APPEND _found "${_target} is not in the link graph")
      continue()
    endif()
    vandrel_layer_reach(${_target} _reach)
    foreach(_dep IN LISTS _reach)
      if(_kind STREQUAL "ONLY" AND NOT _dep IN_LIST _words)
        list(JOIN _words ", " _allowed)
        list(APPEND _found "${_target} must not link ${_dep} (it may reach only ${_allowed})")
      elseif(_kind STREQUAL "NEVER" AND _dep IN_LIST _words)
        list(APPEND _found "${_target} must not link ${_dep}")
      endif()
    endforeach()
  endforeach()
  set(${out} "${_found}" PARENT_SCOPE)
endfunction()

# A link item as a node of the graph: the target a LINK_ONLY wraps, Qt::X as Qt6::X.
function(vandrel_layer_node item out)
  string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" _item "${item}")
  string(REGEX REPLACE "^Qt::" "Qt6::" _item "${_item}")
  set(${out} "${_item}" PARENT_SCOPE)
endfunction()

# Configure time: builds the graph from our library targets, writes it for the test, and
# stops the configure on a violation.
function(vandrel_check_layering)
  set(_dirs "${CMAKE_SOURCE_DIR}")
  set(_libraries "")
  while(_dirs)
    list(POP_FRONT _dirs _dir)
    get_property(_subdirs DIRECTORY "${_dir}" PROPERTY SUBDIRECTORIES)
    list(APPEND _dirs ${_subdirs})
    get_property(_targets DIRECTORY "${_dir}" PROPERTY BUILDSYSTEM_TARGETS)
    foreach(_t IN LISTS _targets)
      get_target_property(_type ${_t} TYPE)
      if(_t MATCHES "^vandrel_" AND _type MATCHES "LIBRARY$")
        list(APPEND _libraries ${_t})
      endif()
    endforeach()
  endwhile()
  set(_graph "# The link graph of our libraries, written by configure for the layering test.\n")
  foreach(_t IN LISTS _libraries)
    set(_deps "")
    foreach(_property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(_items ${_t} ${_property})
      foreach(_item IN LISTS _items)
        if(_item)
          vandrel_layer_node("${_item}" _node)
          list(APPEND _deps "${_node}")
        endif()
      endforeach()
    endforeach()
    list(REMOVE_DUPLICATES _deps)
    set(VANDREL_DEPS_${_t} "${_deps}")
    string(APPEND _graph "set(VANDREL_DEPS_${_t} \"${_deps}\")\n")
  endforeach()
  file(WRITE "${CMAKE_BINARY_DIR}/layering-graph.cmake" "${_graph}")
  vandrel_layer_violations(_broken)
  if(_broken)
    list(JOIN _broken "\n  " _text)
    message(FATAL_ERROR "The layers are broken:\n  ${_text}\n(see cmake/Layering.cmake)")
  endif()
endfunction()

# Script mode (the `layering` test): cmake -DGRAPH=<layering-graph.cmake> -P Layering.cmake
if(CMAKE_SCRIPT_MODE_FILE AND CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  include("${GRAPH}")
  # Each rule must notice a link it forbids, added to the target's own links: a NEVER rule its
  # first item, an ONLY rule Qt6::Widgets (which no ONLY list allows).
  foreach(_rule IN LISTS VANDREL_LAYER_RULES)
    separate_arguments(_words UNIX_COMMAND "${_rule}")
    list(POP_FRONT _words _target _kind)
    if(_kind STREQUAL "ONLY")
      set(_bad Qt6::Widgets)
    else()
      list(GET _words 0 _bad)
    endif()
    set(_kept "${VANDREL_DEPS_${_target}}")
    list(APPEND VANDREL_DEPS_${_target} ${_bad})
    vandrel_layer_violations(_broken)
    set(VANDREL_DEPS_${_target} "${_kept}")
    if(NOT _broken MATCHES "${_target} must not link ${_bad}")
      message(FATAL_ERROR "The layering check lets ${_target} link ${_bad}.")
    endif()
  endforeach()
  vandrel_layer_violations(_broken)
  if(_broken)
    list(JOIN _broken "\n  " _text)
    message(FATAL_ERROR "The layers are broken:\n  ${_text}")
  endif()
  list(LENGTH VANDREL_LAYER_RULES _count)
  message(STATUS "The layers are as drawn (${_count} rules, each seen to catch a forbidden link).")
endif()
