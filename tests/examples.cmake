# Every scenario in examples/ is a self-checking story: it runs through
# doorlock-replay and must end with status 0 (every expect held). Each run
# also leaves its waveform in the build tree, as examples/NAME.vcd.
file(GLOB DOORLOCK_EXAMPLES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*.scn)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/examples)
foreach(example ${DOORLOCK_EXAMPLES})
  get_filename_component(name ${example} NAME_WE)
  add_test(NAME example.${name}
    COMMAND doorlock-replay --vcd ${PROJECT_BINARY_DIR}/examples/${name}.vcd ${example})
endforeach()
