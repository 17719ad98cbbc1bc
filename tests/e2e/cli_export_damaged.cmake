# vam-cli export of damaged data files: the damage is said on stderr, the
# sound records are exported (a value that is no number as an empty cell),
# and a file with nothing readable in it fails.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
# Time stamps as days since 1899-12-30 read the same in every locale.
set(rec "','mV','False','True','2','mV','False','True',''\r\n")
file(WRITE "${WORK}/damaged.vam"
  "'A101'\r\n'46000.1','1.5${rec}garbage\r\n'46000.2','x6.54${rec}'46000.3','1.")
execute_process(COMMAND ${CLI} export "${WORK}/damaged.vam" --csv "${WORK}/out.csv"
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT err MATCHES "^vam-cli export: 3 damaged line\\(s\\) in [^\n]*damaged.vam, the first at line 3: 2 skipped, 1 with a value")
  message(FATAL_ERROR "a damaged file: exit ${rc}, '${err}'")
endif()
file(STRINGS "${WORK}/out.csv" rows)
list(LENGTH rows count)
list(GET rows 2 second)
if(NOT count EQUAL 3 OR NOT second MATCHES "^2,[^,]*,,damaged,2,,$"
   OR NOT err MATCHES "No 2, CH1: 'x6.54' is no number; left empty")
  message(FATAL_ERROR "the sound records with the damaged value empty and flagged: ${rows} / ${err}")
endif()
execute_process(COMMAND ${CLI} export "${WORK}/damaged.vam" --raw --csv "${WORK}/raw.csv"
                RESULT_VARIABLE rc ERROR_VARIABLE err)
file(STRINGS "${WORK}/raw.csv" rows)
list(GET rows 2 second)
if(NOT rc EQUAL 0 OR NOT second MATCHES "^2,[^,]*,,mV,2,mV,$")
  message(FATAL_ERROR "--raw: the damaged value an empty cell beside its unit: ${rows}")
endif()

file(WRITE "${WORK}/noise.vam" "#&!? not a record\r\n'x','y'\r\n")
execute_process(COMMAND ${CLI} export "${WORK}/noise.vam" --model A101 --csv "${WORK}/noise.csv"
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "holds no readable record" OR EXISTS "${WORK}/noise.csv")
  message(FATAL_ERROR "a file without a record: exit ${rc}, '${err}'")
endif()
