# Runs a program twice, once writing UTF-8 and once code page 949, converts
# the UTF-8 output to code page 949 with iconv (an independent converter) and
# checks that the bytes are the same. Used with cmake -P:
#
#   PROGRAM      the program
#   UTF8_ARGS    its arguments for UTF-8 output, separated by '|'
#   CP949_ARGS   its arguments for code page 949 output, separated by '|'
#   ICONV        the iconv program
#   WORK         a scratch directory for this check

cmake_minimum_required(VERSION 3.16)
file(MAKE_DIRECTORY "${WORK}")
string(REPLACE "|" ";" utf8_args "${UTF8_ARGS}")
string(REPLACE "|" ";" cp949_args "${CP949_ARGS}")

execute_process(COMMAND "${PROGRAM}" ${utf8_args} OUTPUT_FILE "${WORK}/utf8.txt" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ${utf8_args}: exit status ${status}")
endif()
execute_process(COMMAND "${PROGRAM}" ${cp949_args} OUTPUT_FILE "${WORK}/cp949.txt" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ${cp949_args}: exit status ${status}")
endif()
execute_process(COMMAND "${ICONV}" -f UTF-8 -t CP949 "${WORK}/utf8.txt"
                OUTPUT_FILE "${WORK}/iconv.txt" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${ICONV} cannot convert ${WORK}/utf8.txt to CP949 (status ${status})")
endif()

# The two outputs must differ at all, or the check would prove nothing.
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/utf8.txt" "${WORK}/cp949.txt"
                RESULT_VARIABLE differ)
if(NOT differ)
  message(FATAL_ERROR "the UTF-8 and code page 949 outputs are the same: no Korean text was written")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/iconv.txt" "${WORK}/cp949.txt"
                RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "code page 949 output ${WORK}/cp949.txt differs from iconv's conversion "
                      "${WORK}/iconv.txt of the UTF-8 output")
endif()
