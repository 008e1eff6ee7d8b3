# Waveform dumps on the command line (Linux: POSIX sh and /dev/full), and a
# dump read back by an independent reader: GTKWave's vcd2fst and fst2vcd
# (Debian package gtkwave). Without them that test is left out; CI installs
# them (.ci/steps/30-vcd.sh).
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  find_program(DOORLOCK_SH sh)
  add_test(NAME vcd.command_line
    COMMAND ${DOORLOCK_SH} ${CMAKE_CURRENT_SOURCE_DIR}/vcd/cli.sh
      $<TARGET_FILE:doorlock-replay> ${CMAKE_CURRENT_SOURCE_DIR}/vcd/known_times.scn
      ${CMAKE_CURRENT_BINARY_DIR}/vcd-command-line)

  find_program(DOORLOCK_VCD2FST vcd2fst)
  find_program(DOORLOCK_FST2VCD fst2vcd)
  if(DOORLOCK_VCD2FST AND DOORLOCK_FST2VCD)
    add_test(NAME vcd.read_back_by_gtkwave
      COMMAND ${DOORLOCK_SH} ${CMAKE_CURRENT_SOURCE_DIR}/vcd/readback.sh
        $<TARGET_FILE:doorlock-replay> ${DOORLOCK_VCD2FST} ${DOORLOCK_FST2VCD}
        ${CMAKE_CURRENT_SOURCE_DIR}/vcd/known_times.scn ${CMAKE_CURRENT_BINARY_DIR}/vcd-read-back)
  else()
    message(STATUS "vcd2fst/fst2vcd (package gtkwave) not found: the waveform read-back test is left out")
  endif()
endif()
