# The code page 949 bytes of every panel text, checked against glibc's iconv.
# Linux only: it needs the iconv program and the system's CP949 tables.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  find_program(DOORLOCK_ICONV iconv)
  if(NOT DOORLOCK_ICONV)
    set(DOORLOCK_ICONV iconv)
  endif()

  add_executable(panel_texts panel_texts.cpp)
  target_link_libraries(panel_texts PRIVATE doorlock_scripted)

  add_test(NAME encoding.every_panel_text_in_cp949_matches_iconv
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:panel_texts> -DUTF8_ARGS=utf8 -DCP949_ARGS=cp949
            -DICONV=${DOORLOCK_ICONV} -DWORK=${CMAKE_CURRENT_BINARY_DIR}/encoding/panel_texts
            -P ${CMAKE_CURRENT_SOURCE_DIR}/cli/compare_encodings.cmake)

  set(every_text ${CMAKE_CURRENT_SOURCE_DIR}/cli/every_output_text.scn)
  add_test(NAME encoding.replay_transcript_in_cp949_matches_iconv
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:doorlock-replay> -DUTF8_ARGS=${every_text}
            -DCP949_ARGS=--cp949|${every_text}
            -DICONV=${DOORLOCK_ICONV} -DWORK=${CMAKE_CURRENT_BINARY_DIR}/encoding/replay
            -P ${CMAKE_CURRENT_SOURCE_DIR}/cli/compare_encodings.cmake)

  # The checked-in code page 949 start-up transcript is itself iconv's work.
  add_test(NAME encoding.checked_in_cp949_first_panel_matches_iconv
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=${DOORLOCK_ICONV}
            -DARGS=-f|UTF-8|-t|CP949|${CMAKE_CURRENT_SOURCE_DIR}/scenarios/first_panel.out
            -DSTATUS=0 -DSTDOUT_FILE=${CMAKE_CURRENT_SOURCE_DIR}/cli/first_panel.cp949.out -DSTDERR_EMPTY=1
            -DWORK=${CMAKE_CURRENT_BINARY_DIR}/encoding/first_panel
            -P ${CMAKE_CURRENT_SOURCE_DIR}/cli/run_and_check.cmake)
endif()
