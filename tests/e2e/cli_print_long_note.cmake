# vam-cli print under a page header longer than a page: ten records of an
# A101 file printed under a 65-line note all reach the PDF, the page header
# names the meter the file names, and the title is the file's name alone.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND ${SIM} --model A101 --stdout --count 12 --seed 5
                COMMAND ${CLI} decode --model A101 --out "${WORK}/run.vam" -
                OUTPUT_QUIET RESULTS_VARIABLE rc)
if(NOT rc STREQUAL "0;0")
  message(FATAL_ERROR "making the data file: pipeline exited with ${rc}")
endif()
file(READ "${WORK}/run.vam" data LIMIT 8)
if(NOT data MATCHES "^'A101'")
  message(FATAL_ERROR "the data file does not name its meter first: '${data}'")
endif()

# A page header without a device name of its own, and a note of 65 lines.
set(note "")
foreach(i RANGE 1 65)
  string(APPEND note "remark ${i} of the note\r\n")
endforeach()
file(WRITE "${WORK}/P.CFG"
  "[PRINTER]\r\nOperator = Ann Smith\r\nCompany = Acme Labs\r\n[NOTE]\r\n${note}[END NOTE]\r\n")

execute_process(COMMAND ${CLI} print "${WORK}/run.vam" --pdf "${WORK}/note.pdf" --config "${WORK}/P.CFG"
                        --selection 1-10
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "10 record\\(s\\)")
  message(FATAL_ERROR "vam-cli print exited with ${rc}: '${out}' '${err}'")
endif()
execute_process(COMMAND pdftotext -layout "${WORK}/note.pdf" - OUTPUT_VARIABLE text RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pdftotext failed")
endif()

# Every selected record, once, in order: its number at the left margin.
string(REGEX MATCHALL "\n([0-9]+) +[^\n]*pH" rows "${text}")
string(REGEX REPLACE "\n([0-9]+) +[^\n]*pH" "\\1" rows "${rows}")
if(NOT rows STREQUAL "1;2;3;4;5;6;7;8;9;10")
  message(FATAL_ERROR "records printed under the long note: '${rows}'\n${text}")
endif()
foreach(item "remark 1 of the note" "remark 65 of the note")
  string(FIND "${text}" "${item}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "'${item}' not in the PDF text:\n${text}")
  endif()
endforeach()
if(NOT text MATCHES "Device: +A101\n")
  message(FATAL_ERROR "the page header does not name the file's meter:\n${text}")
endif()
# The title: the file's name, not the folder it was found in.
if(NOT text MATCHES "(^|\n) *run\\.vam " OR text MATCHES "cli_print_note/run\\.vam")
  message(FATAL_ERROR "the title is not the file's name alone:\n${text}")
endif()

# A page header that names a device keeps it.
file(APPEND "${WORK}/P.CFG" "[PRINTER]\r\nDeviceName = Bench meter\r\n")
execute_process(COMMAND ${CLI} print "${WORK}/run.vam" --pdf "${WORK}/named.pdf" --config "${WORK}/P.CFG"
                        --selection 1-2
                RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
execute_process(COMMAND pdftotext -layout "${WORK}/named.pdf" - OUTPUT_VARIABLE text)
if(NOT rc EQUAL 0 OR NOT text MATCHES "Device: +Bench meter\n")
  message(FATAL_ERROR "the configuration's device name was not kept (exit ${rc}, '${err}'):\n${text}")
endif()
