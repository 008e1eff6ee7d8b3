# doorlock-replay's command line: each check runs the real program and looks
# at its exit status, standard output and standard error.
set(cli ${CMAKE_CURRENT_SOURCE_DIR}/cli)
set(scenarios ${CMAKE_CURRENT_SOURCE_DIR}/scenarios)

# replay_check(NAME -DSETTING=VALUE...): the settings of cli/run_and_check.cmake.
function(replay_check name)
  add_test(NAME replay_cli.${name}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:doorlock-replay>
            -DWORK=${CMAKE_CURRENT_BINARY_DIR}/replay_cli/${name} ${ARGN}
            -P ${CMAKE_CURRENT_SOURCE_DIR}/cli/run_and_check.cmake)
  set_tests_properties(replay_cli.${name} PROPERTIES TIMEOUT 60)
endfunction()

replay_check(help_prints_usage_on_stdout_and_succeeds
  -DARGS=--help -DSTATUS=0 "-DSTDOUT_PREFIX=usage: doorlock-replay [--cp949] [--vcd FILE] [SCENARIO]" -DSTDERR_EMPTY=1)
replay_check(an_unknown_option_is_a_usage_error
  -DARGS=--bogus -DSTATUS=2 -DSTDOUT_EMPTY=1 "-DSTDERR_CONTAINS=unknown option '--bogus'")
replay_check(two_scenarios_are_a_usage_error
  -DARGS=${cli}/bad_step.scn|${scenarios}/first_panel.scn -DSTATUS=2 -DSTDOUT_EMPTY=1
  "-DSTDERR_CONTAINS=more than one scenario")
replay_check(a_missing_file_is_named_in_the_error
  -DARGS=${cli}/no-such-scenario.scn -DSTATUS=2 -DSTDOUT_EMPTY=1
  "-DSTDERR_CONTAINS=${cli}/no-such-scenario.scn: error: cannot open")
replay_check(a_directory_is_not_a_scenario
  -DARGS=${cli} -DSTATUS=2 -DSTDOUT_EMPTY=1 "-DSTDERR_CONTAINS=${cli}: error:")

replay_check(a_scenario_error_names_file_and_line_and_runs_nothing
  -DARGS=${cli}/bad_step.scn -DSTATUS=2 -DSTDOUT_EMPTY=1 "-DSTDERR=${cli}/bad_step.scn:3: error: unknown step 'jump'")
replay_check(a_scenario_error_on_stdin_names_the_file_dash
  -DSTDIN=${cli}/bad_step.scn -DSTATUS=2 -DSTDOUT_EMPTY=1 "-DSTDERR=-:3: error: unknown step 'jump'")
replay_check(dash_reads_the_scenario_from_stdin
  -DARGS=- -DSTDIN=${cli}/bad_step.scn -DSTATUS=2 -DSTDOUT_EMPTY=1 "-DSTDERR=-:3: error: unknown step 'jump'")

replay_check(a_failed_expect_ends_with_status_1_after_the_transcript_so_far
  -DARGS=${cli}/failing_expect.scn -DSTATUS=1 -DSTDOUT_FILE=${cli}/failing_expect.out
  "-DSTDERR=${cli}/failing_expect.scn:5: expect backlight: wanted 0, got 1")
replay_check(a_failed_expect_on_stdin_names_the_file_dash
  -DSTDIN=${cli}/failing_expect.scn -DSTATUS=1 -DSTDOUT_FILE=${cli}/failing_expect.out
  "-DSTDERR=-:5: expect backlight: wanted 0, got 1")

replay_check(one_pass_writes_the_first_panel_in_utf8
  -DARGS=${scenarios}/first_panel.scn -DSTATUS=0 -DSTDOUT_FILE=${scenarios}/first_panel.out -DSTDERR_EMPTY=1)
replay_check(a_scenario_on_stdin_runs_as_from_a_file
  -DSTDIN=${scenarios}/first_panel.scn -DSTATUS=0 -DSTDOUT_FILE=${scenarios}/first_panel.out -DSTDERR_EMPTY=1)
replay_check(cp949_writes_the_first_panel_in_code_page_949
  -DARGS=--cp949|${scenarios}/first_panel.scn -DSTATUS=0 -DSTDOUT_FILE=${cli}/first_panel.cp949.out -DSTDERR_EMPTY=1)
replay_check(cp949_may_follow_the_scenario
  -DARGS=-|--cp949 -DSTDIN=${scenarios}/first_panel.scn -DSTATUS=0 -DSTDOUT_FILE=${cli}/first_panel.cp949.out)
replay_check(an_empty_scenario_writes_only_the_start_up_line
  -DSTATUS=0 -DSTDOUT_FILE=${cli}/startup_line.out -DSTDERR_EMPTY=1)
replay_check(crlf_line_ends_run_as_plain_ones
  -DCRLF_FROM=${scenarios}/setting_phase_four_digits.scn
  -DCRLF_TO=${CMAKE_CURRENT_BINARY_DIR}/replay_cli/crlf_four_digits.scn
  -DARGS=${CMAKE_CURRENT_BINARY_DIR}/replay_cli/crlf_four_digits.scn
  -DSTATUS=0 -DSTDOUT_FILE=${scenarios}/setting_phase_four_digits.out -DSTDERR_EMPTY=1)

replay_check(ten_million_idle_passes_finish_in_seconds
  -DARGS=${cli}/ten_million_idle_passes.scn -DSTATUS=0 -DSTDOUT_FILE=${scenarios}/first_panel.out)
set_tests_properties(replay_cli.ten_million_idle_passes_finish_in_seconds PROPERTIES TIMEOUT 30)

# A transcript that cannot be written is reported, never passed off as success.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  replay_check(a_transcript_that_cannot_be_written_is_an_error
    -DARGS=${scenarios}/first_panel.scn -DSTDOUT_TO=/dev/full -DSTATUS=3
    "-DSTDERR=doorlock-replay: error: cannot write the transcript to standard output")
endif()
