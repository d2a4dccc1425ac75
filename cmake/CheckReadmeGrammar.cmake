# Checks that README.md shows the script language exactly as vantorel-sim
# prints it in --help. Run as a script:
#
#   cmake -DSIM=<command list> -DREADME=<README.md> -P CheckReadmeGrammar.cmake
#
# SIM is the command that starts vantorel-sim, as for CompareOutput.cmake.
# README's block is the first fenced block after its "### Script language"
# heading. The help text must hold it as a whole paragraph, a blank line
# before it and one after, so that a block missing a line at either end, or
# with a line the help does not have, fails as surely as a changed line.
# Carriage returns are dropped from both texts first.

if(NOT SIM OR NOT README)
  message(FATAL_ERROR "SIM and README must be given")
endif()

execute_process(COMMAND ${SIM} --help
  OUTPUT_VARIABLE help
  ERROR_VARIABLE error
  RESULT_VARIABLE status)
string(REPLACE "\r" "" help "${help}")
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "vantorel-sim --help failed with status ${status}:\n${error}")
endif()

file(READ "${README}" readme)
string(REPLACE "\r" "" readme "${readme}")
string(FIND "${readme}" "\n### Script language\n" heading)
if(heading EQUAL -1)
  message(FATAL_ERROR "${README} has no \"### Script language\" heading")
endif()
string(SUBSTRING "${readme}" ${heading} -1 section)
set(fence "\n```\n")
string(FIND "${section}" "${fence}" open)
if(open EQUAL -1)
  message(FATAL_ERROR "${README}: no fenced block after \"### Script language\"")
endif()
math(EXPR first "${open} + 5")
string(SUBSTRING "${section}" ${first} -1 rest)
string(FIND "${rest}" "${fence}" close)
if(close EQUAL -1)
  message(FATAL_ERROR "${README}: the script language's block is not closed")
endif()
math(EXPR length "${close} + 1")
string(SUBSTRING "${rest}" 0 ${length} block)

string(FIND "${help}" "\n\n${block}\n" found)
if(found EQUAL -1)
  message(FATAL_ERROR "README.md's script language is not a paragraph of "
    "vantorel-sim --help; paste the help's script language into README.md, or "
    "change the command table in vantorel-sim/ScriptReader.cpp.\n"
    "README.md:\n${block}\nvantorel-sim --help:\n${help}")
endif()
