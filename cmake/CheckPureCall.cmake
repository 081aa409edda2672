# Fails unless each program in PROGRAMS defines __cxa_pure_virtual (a text symbol in nm's list):
# a weak, undefined one would leave 0 in the function tables' pure slots.
foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND ${NM} ${program} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} could not read ${program}")
  endif()
  if(NOT symbols MATCHES "[0-9a-fA-F]+ T _*__cxa_pure_virtual\n")
    message(FATAL_ERROR "${program} does not define __cxa_pure_virtual")
  endif()
  message(STATUS "${program}: __cxa_pure_virtual defined")
endforeach()
