# vam-cli print: a logger print of 1,000 records becomes a data file, then a
# multi-page PDF with the configuration's page header, read back as text.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND ${SIM} --model H261 --stdout --dump 1000 --seed 3
                COMMAND ${CLI} decode --model H261 --datalog --out "${WORK}/run.vam" -
                OUTPUT_QUIET RESULTS_VARIABLE rc)
if(NOT rc STREQUAL "0;0")
  message(FATAL_ERROR "making the data file: pipeline exited with ${rc}")
endif()
file(WRITE "${WORK}/P.CFG"
  "[PRINTER]\r\nOperator = Ann Smith\r\nCompany = Acme Labs\r\nDivision = Quality\r\n"
  "Serial = SN-4711\r\nDeviceName = Bench meter\r\n[NOTE]\r\nkeep dry\r\n[END NOTE]\r\n")

function(expect_in text)
  foreach(item IN LISTS ARGN)
    string(FIND "${text}" "${item}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "'${item}' not in the PDF text:\n${text}")
    endif()
  endforeach()
endfunction()

# The whole table (its speed is measured by bench_cli_print, not here: a
# loaded machine must not fail the test).
execute_process(COMMAND ${CLI} print "${WORK}/run.vam" --pdf "${WORK}/all.pdf" --config "${WORK}/P.CFG"
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "vam-cli print exited with ${rc}: ${err}")
endif()
execute_process(COMMAND pdftotext -layout "${WORK}/all.pdf" - OUTPUT_VARIABLE text RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pdftotext failed")
endif()
expect_in("${text}" "Operator:" "Ann Smith" "Company:" "Acme Labs" "Division:" "Quality" "Note:" "keep dry"
          "Device:" "Bench meter" "Serial number:" "SN-4711" "page 1" "page 2" "page 10" "CH1" "Info")
string(REGEX MATCHALL "\n1000 +[^\n]*pH" last "${text}")
if(NOT last)
  message(FATAL_ERROR "record 1000 is missing")
endif()
string(REGEX MATCHALL "Operator:" headers "${text}")
list(LENGTH headers pages)
if(pages LESS 10)
  message(FATAL_ERROR "the page header is not on every page (${pages} found)")
endif()

# Only the selected records.
execute_process(COMMAND ${CLI} print "${WORK}/run.vam" --pdf "${WORK}/sel.pdf" --selection 20-24
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "vam-cli print --selection exited with ${rc}: ${err}")
endif()
execute_process(COMMAND pdftotext -layout "${WORK}/sel.pdf" - OUTPUT_VARIABLE text)
string(REGEX MATCHALL "\n([0-9]+) +[0-9]" rows "${text}")
string(REGEX REPLACE "\n([0-9]+) +[0-9]" "\\1" rows "${rows}")
if(NOT rows STREQUAL "20;21;22;23;24")
  message(FATAL_ERROR "--selection 20-24 printed rows '${rows}'")
endif()
expect_in("${text}" "page 1")

# Bad input: a clear message, no PDF.
foreach(bad "5-2" "x" "0-3")
  execute_process(COMMAND ${CLI} print "${WORK}/run.vam" --pdf "${WORK}/bad.pdf" --selection ${bad}
                  RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 2 OR NOT err MATCHES "--selection")
    message(FATAL_ERROR "--selection ${bad}: exit ${rc}, '${err}'")
  endif()
endforeach()
execute_process(COMMAND ${CLI} print "${WORK}/run.vam" --pdf "${WORK}/none.pdf" --selection 2000-2001
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "no records" OR EXISTS "${WORK}/none.pdf")
  message(FATAL_ERROR "an empty selection: exit ${rc}, '${err}'")
endif()

# Each command explains itself: "vam-cli COMMAND --help" prints its usage on
# stdout and exits 0; the overview names every command.
execute_process(COMMAND ${CLI} --help OUTPUT_VARIABLE overview RESULT_VARIABLE rc)
foreach(command models decode log receive transfer export config print)
  execute_process(COMMAND ${CLI} ${command} --help OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT text MATCHES "^Usage: vam-cli ${command}")
    message(FATAL_ERROR "vam-cli ${command} --help: exit ${rc}, '${text}'")
  endif()
  if(NOT overview MATCHES "\n  ${command}[ \n]")
    message(FATAL_ERROR "vam-cli --help does not name ${command}:\n${overview}")
  endif()
  # A wrong option: named on stderr with the command's usage, exit 2.
  execute_process(COMMAND ${CLI} ${command} --bogus RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
  if(NOT rc EQUAL 2 OR NOT err MATCHES "vam-cli ${command}: unknown option '--bogus'\nUsage: vam-cli ${command}")
    message(FATAL_ERROR "vam-cli ${command} --bogus: exit ${rc}, '${err}'")
  endif()
endforeach()
execute_process(COMMAND ${CLI} print --help OUTPUT_VARIABLE text)
expect_in("${text}" "--pdf OUT.pdf" "--selection N-M")
