# Reads the export directory of the plugin module and compares it with what
# the host links against: the module name, the record and factory functions
# under plain names, and the host base class's members under their Itanium
# names, as MinGW GCC decorates them. Anything else exported is a leak of the
# plugin's own code into the host's view.
#
#   cmake -D OBJDUMP=... -D MODULE=.../VantorelPlugin.dll -P CheckExports.cmake

cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/ReadHeaders.cmake)

read_exports()

set(base _ZN9BakkesMod6Plugin15BakkesModPlugin)
set(required
  exports getPlugin deleteMe
  ${base}C1Ev           # default constructor
  ${base}C1ERKS1_       # copy constructor
  ${base}C1EOS1_        # move constructor
  ${base}D1Ev           # destructor
  ${base}aSERKS1_       # copy assignment
  ${base}aSEOS1_        # move assignment
  ${base}6onLoadEv
  ${base}8onUnloadEv
  _ZTVN9BakkesMod6Plugin15BakkesModPluginE)
# PE has no symbol aliases, so GCC emits the base-object forms of the
# constructors and destructor as entry points of their own, and exports the
# type information the exported vtable points to.
set(tolerated
  ${base}C2Ev ${base}C2ERKS1_ ${base}C2EOS1_ ${base}D2Ev
  _ZTIN9BakkesMod6Plugin15BakkesModPluginE)

set(faults "")
if(NOT moduleName STREQUAL "VantorelPlugin.dll")
  list(APPEND faults "module name is \"${moduleName}\", not \"VantorelPlugin.dll\"")
endif()
foreach(name IN LISTS required)
  if(NOT name IN_LIST exported)
    list(APPEND faults "missing export ${name}")
  endif()
endforeach()
foreach(name IN LISTS exported)
  if(NOT name IN_LIST required AND NOT name IN_LIST tolerated)
    list(APPEND faults "unexpected export ${name}")
  endif()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  list(JOIN exported "\n  " all)
  message(FATAL_ERROR "${MODULE}:\n  ${text}\nexports:\n  ${all}")
endif()
list(LENGTH exported count)
message(STATUS "${moduleName}: ${count} exports as expected")
