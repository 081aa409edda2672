# Writes the release folder's RSWPRO.INF: the source INF with @INSTALLED_KB@ replaced by the
# kilobytes (rounded up) of the files the installation puts into the program folder, this INF
# included, so the list of installed programs shows their true size.
#   cmake -DINF_SOURCE=... -DINF_OUT=... -DPROGRAM=rswpro.exe -DHELP=rswpro4.html -P InstalledSize.cmake
file(READ ${INF_SOURCE} text)
set(bytes 0)
foreach(f ${PROGRAM} ${HELP})
  file(SIZE ${f} size)
  math(EXPR bytes "${bytes} + ${size}")
endforeach()
# the number's own digits change the INF's size: settle it
set(kb 0)
foreach(round RANGE 4)
  string(REPLACE "@INSTALLED_KB@" "${kb}" out "${text}")
  string(LENGTH "${out}" infBytes)
  math(EXPR next "(${bytes} + ${infBytes} + 1023) / 1024")
  if(next EQUAL kb)
    break()
  endif()
  set(kb ${next})
endforeach()
string(REPLACE "@INSTALLED_KB@" "${kb}" out "${text}")
file(WRITE ${INF_OUT} "${out}")
