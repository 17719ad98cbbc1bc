# vam-cli config: an old, hand-edited configuration is read, its bad values
# are reported on stderr, and the file written back reads again without a
# complaint and without a change.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(in "${WORK}/OLD.CFG")
set(out "${WORK}/NEW.CFG")
file(WRITE "${in}"
  "[INFO]\r\nFile = C:\\VAM\\OLD.CFG\r\n"
  "[COMMUNICATION]\r\nserial port=COM0\r\nBaudrate = 9600\r\nLanguage = Nederlands\r\n"
  "[DEVICE]\r\nDevice = A101\r\nPoll values = yes\r\nInterval = 4000\r\n"
  "[OBSOLETE]\r\nWhatever = 1\r\n"
  "[LOG]\r\nPoints = 50\r\n"
  "[CHANNEL]\r\nIndex = 2\r\nName = Bath\r\n"
  "[GRAPHICS]\r\n(TIME AXIS)\r\nNo of points=10\r\n(LINE) = 1\r\nInput=2\r\n(END)\r\n"
  "[NOTE]\r\nfirst line\r\nsecond line\r\n[END NOTE]\r\n")

# Runs vam-cli config; its stdout goes to the file STDOUT_FILE byte for byte.
function(run_cli)
  execute_process(COMMAND ${CLI} config ${ARGN} RESULT_VARIABLE rc OUTPUT_FILE "${WORK}/stdout" ERROR_VARIABLE err)
  set(rc "${rc}" PARENT_SCOPE)
  set(stderr "${err}" PARENT_SCOPE)
endfunction()

# CMake reads text with its CRs dropped: file contents are compared as hex.
function(read_hex path var)
  file(READ "${path}" hex HEX)
  set(${var} "${hex}" PARENT_SCOPE)
endfunction()

# Items are taken one by one from ARGV: a list would split them at brackets.
function(expect_in text what)
  math(EXPR last "${ARGC} - 1")
  foreach(i RANGE 2 ${last})
    set(item "${ARGV${i}}")
    set(haystack "${text}")
    if(what MATCHES "file")
      string(HEX "${item}" item)
    endif()
    string(FIND "${haystack}" "${item}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${what} lacks '${ARGV${i}}'")
    endif()
  endforeach()
endfunction()

run_cli("${in}" --out "${out}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "vam-cli config exited with ${rc}: ${stderr}")
endif()
expect_in("${stderr}" "stderr"
  "line 4 [COMMUNICATION] serial port = COM0: not a port COM1..COM255 or a device path; COM1 used"
  "line 9 [DEVICE] Poll values = yes: not a yes/no value; 1 used"
  "Interval = 4000: out of range 1..3599; 1 used"
  "Points = 50: out of range 100..30000; 30000 used"
  "No of points = 10: out of range 50..30000; 50 used")

read_hex("${out}" written)
expect_in("${written}" "the written file"
  "[INFO]\r\nFile = ${out}\r\n"
  "Serial Port = COM1\r\nBaudrate = 9600\r\nLanguage = Nederlands\r\n"
  "Device = A101\r\nPoll values = 1\r\nInterval = 1\r\n"
  "Points = 30000\r\n"
  "[CHANNEL]\r\nIndex = 2\r\nName = Bath\r\n"
  "[GRAPHICS]\r\n(WINDOW)\r\n"
  "No of points=50\r\n"
  "\r\n(LINE) = 1\r\nInput=2\r\n"
  "[NOTE]\r\nfirst line\r\nsecond line\r\n[END NOTE]\r\n")
string(HEX "OBSOLETE" obsolete)
string(FIND "${written}" "${obsolete}" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "an unknown section was written back")
endif()

# Read again, written to stdout: nothing to report, nothing changed but the clock.
run_cli("${out}")
if(NOT rc EQUAL 0 OR NOT stderr STREQUAL "")
  message(FATAL_ERROR "rereading the written file: exit ${rc}, stderr:\n${stderr}")
endif()
read_hex("${WORK}/stdout" again)
string(HEX "\r\nDate = " date)
string(HEX "\r\nVAM1 = " version)
foreach(v written again)
  string(FIND "${${v}}" "${date}" from)
  string(FIND "${${v}}" "${version}" to)
  string(SUBSTRING "${${v}}" 0 ${from} head)
  string(SUBSTRING "${${v}}" ${to} -1 tail)
  set(${v} "${head}${tail}")
endforeach()
if(NOT written STREQUAL again)
  message(FATAL_ERROR "the configuration written to stdout differs from the file")
endif()

run_cli("${WORK}/missing.CFG")
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "a missing file gave exit ${rc}")
endif()

# A configuration cut off in the middle of a line is damaged: said on stderr
# with what it lost, exit 1, and nothing written over the output.
file(READ "${out}" whole)
string(FIND "${whole}" "[PRINTER]" at)
string(SUBSTRING "${whole}" 0 ${at} head)
file(WRITE "${WORK}/CUT.CFG" "${head}[PRINTER]\nFont = Ari")
file(WRITE "${WORK}/KEEP.CFG" "kept")
run_cli("${WORK}/CUT.CFG" --out "${WORK}/KEEP.CFG")
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "a cut-off configuration gave exit ${rc}: ${stderr}")
endif()
expect_in("${stderr}" "stderr"
  "vam-cli config: The configuration '${WORK}/CUT.CFG' is damaged: "
  "cut off in the middle of line"
  "part of [PRINTER], [SYSTEM], [ARRANGE], [COLORS], [NOTE].")
file(READ "${WORK}/KEEP.CFG" kept)
if(NOT kept STREQUAL "kept")
  message(FATAL_ERROR "a damaged configuration was written back")
endif()
