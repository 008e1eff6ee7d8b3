# Runs one command and checks its exit status, standard output and standard
# error. Used with cmake -P:
#
#   PROGRAM          the program to run
#   ARGS             its arguments, separated by '|' (may be empty)
#   STDIN            file to give on standard input (default: an empty file)
#   STDOUT_TO        where standard output goes (default: a file in WORK)
#   WORK             a scratch directory for this check
#   STATUS           the exit status wanted
#   STDOUT_FILE      standard output must equal this file, byte for byte
#   STDOUT_EMPTY     standard output must be empty
#   STDOUT_PREFIX    standard output must begin with this text
#   STDERR           standard error must be exactly this text and one line end
#   STDERR_EMPTY     standard error must be empty
#   STDERR_CONTAINS  standard error must contain this text
#   CRLF_FROM, CRLF_TO  before running, write CRLF_TO as CRLF_FROM with
#                    every line end turned into a carriage return and line end

cmake_minimum_required(VERSION 3.16)

file(MAKE_DIRECTORY "${WORK}")

if(DEFINED CRLF_FROM)
  file(READ "${CRLF_FROM}" text)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${CRLF_TO}" "${text}")
endif()

if(NOT DEFINED STDIN)
  set(STDIN "${WORK}/empty-stdin")
  file(WRITE "${STDIN}" "")
endif()

if(ARGS STREQUAL "")
  set(arguments "")
else()
  string(REPLACE "|" ";" arguments "${ARGS}")
endif()

set(stdout_file "${WORK}/stdout")
if(DEFINED STDOUT_TO)
  set(stdout_file "${STDOUT_TO}")
endif()
execute_process(
  COMMAND "${PROGRAM}" ${arguments}
  INPUT_FILE "${STDIN}"
  OUTPUT_FILE "${stdout_file}"
  ERROR_VARIABLE stderr
  RESULT_VARIABLE status)

set(faults "")
if(NOT status STREQUAL "${STATUS}")
  string(APPEND faults "exit status ${status}, wanted ${STATUS}\n")
endif()

set(stdout_size 0)
if(NOT DEFINED STDOUT_TO)
  file(SIZE "${stdout_file}" stdout_size)
endif()
if(DEFINED STDOUT_FILE)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${stdout_file}" "${STDOUT_FILE}"
                  RESULT_VARIABLE differ)
  if(differ)
    string(APPEND faults "standard output (${stdout_file}) differs from ${STDOUT_FILE}\n")
  endif()
endif()
if(STDOUT_EMPTY AND NOT stdout_size EQUAL 0)
  string(APPEND faults "standard output holds ${stdout_size} bytes, wanted none\n")
endif()
if(DEFINED STDOUT_PREFIX)
  file(READ "${stdout_file}" stdout)
  string(LENGTH "${STDOUT_PREFIX}" prefix_length)
  string(SUBSTRING "${stdout}" 0 ${prefix_length} head)
  if(NOT head STREQUAL STDOUT_PREFIX)
    string(APPEND faults "standard output does not begin with '${STDOUT_PREFIX}'\n")
  endif()
endif()

if(DEFINED STDERR AND NOT stderr STREQUAL "${STDERR}\n")
  string(APPEND faults "standard error is not '${STDERR}' and one line end\n")
endif()
if(STDERR_EMPTY AND NOT stderr STREQUAL "")
  string(APPEND faults "standard error is not empty\n")
endif()
if(DEFINED STDERR_CONTAINS)
  string(FIND "${stderr}" "${STDERR_CONTAINS}" at)
  if(at EQUAL -1)
    string(APPEND faults "standard error does not contain '${STDERR_CONTAINS}'\n")
  endif()
endif()

if(NOT faults STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} ${arguments}\n${faults}standard error was:\n${stderr}")
endif()
