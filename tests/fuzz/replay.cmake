# Without libFuzzer (the Windows build): each fuzz target as a program that reads inputs
# from files, and a test that runs it over the seeds the seed writer draws. The Windows
# stage also runs them over the corpora the fuzz stage grew.
add_executable(pondel-fuzz-seeds ${CMAKE_CURRENT_LIST_DIR}/make_seeds.cpp)
target_link_libraries(pondel-fuzz-seeds PRIVATE pondel_record Qt6::Gui)

set(seeds ${CMAKE_CURRENT_BINARY_DIR}/fuzz-seeds)
add_test(NAME fuzz_seeds COMMAND pondel-fuzz-seeds ${seeds})
set_tests_properties(fuzz_seeds PROPERTIES FIXTURES_SETUP fuzz_seeds LABELS fuzz)

foreach(entry "settings_file:settings:pondel_record" "hostile_record:settings:pondel_engine;pondel_assets"
             "picture:picture:pondel_engine;pondel_assets")
  string(REPLACE ":" ";" fields "${entry}")
  list(GET fields 0 name)
  list(GET fields 1 seed_folder)
  list(SUBLIST fields 2 -1 libs)
  add_executable(pondel-replay-${name} ${CMAKE_CURRENT_LIST_DIR}/fuzz_${name}.cpp
                 ${CMAKE_CURRENT_LIST_DIR}/replay_main.cpp)
  target_link_libraries(pondel-replay-${name} PRIVATE ${libs} Qt6::Gui)
  add_test(NAME fuzz_replay_${name} COMMAND pondel-replay-${name} ${seeds}/${seed_folder})
  set_tests_properties(fuzz_replay_${name} PROPERTIES FIXTURES_REQUIRED fuzz_seeds LABELS fuzz)
endforeach()
