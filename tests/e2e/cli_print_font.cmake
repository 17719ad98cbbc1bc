# vam-cli print sets the page in the configuration's font as the system
# resolves it (fontconfig's answer, as the print dialog's), in the system's
# sans-serif font when the configuration names none; never in whatever font
# the program itself happens to start with.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND ${SIM} --model A101 --stdout --count 3 --seed 5
                COMMAND ${CLI} decode --model A101 --out "${WORK}/run.vam" -
                OUTPUT_QUIET RESULTS_VARIABLE rc)
if(NOT rc STREQUAL "0;0")
  message(FATAL_ERROR "making the data file: pipeline exited with ${rc}")
endif()

foreach(font "" "Arial" "No Such Font Anywhere" "DejaVu Serif")
  set(asked "${font}")
  if(font STREQUAL "")
    set(asked "sans-serif")
  endif()
  execute_process(COMMAND fc-match -f "%{family[0]}" "${asked}" OUTPUT_VARIABLE family RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR family STREQUAL "")
    message(FATAL_ERROR "fc-match '${asked}' failed")
  endif()
  string(REPLACE " " "" family "${family}")
  file(WRITE "${WORK}/F.CFG" "[PRINTER]\r\nFont = ${font}\r\n")
  execute_process(COMMAND ${CLI} print "${WORK}/run.vam" --pdf "${WORK}/font.pdf" --config "${WORK}/F.CFG"
                  RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "vam-cli print with Font = '${font}' exited with ${rc}: ${err}")
  endif()
  execute_process(COMMAND pdffonts "${WORK}/font.pdf" OUTPUT_VARIABLE fonts)
  # Every font of the page is the family (regular or bold), subset-prefixed or not.
  string(REGEX MATCHALL "\n([A-Z]+\\+)?[^ \n-]+" names "${fonts}")
  list(REMOVE_AT names 0) # the dashes under the headings
  foreach(name IN LISTS names)
    string(REGEX REPLACE "^\n([A-Z]+\\+)?" "" name "${name}")
    if(NOT name STREQUAL family)
      message(FATAL_ERROR "Font = '${font}' printed in ${name}, not ${family}:\n${fonts}")
    endif()
  endforeach()
  if(NOT names)
    message(FATAL_ERROR "no font in the PDF:\n${fonts}")
  endif()
endforeach()
