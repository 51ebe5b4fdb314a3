# Benchmarks of the Office automation against the stand-ins of tests/stats and
# tests/export: the statistics run (word_bench) and the export (excel_bench). Each finds
# its stand-in exe, which stays in the tests' build tree, through the path given here.
if(WIN32 AND TARGET word_standin AND TARGET brivanta_standin_client)
  add_executable(word_bench word_bench.cpp)
  target_link_options(word_bench PRIVATE -municode)
  target_include_directories(word_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/stats ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(word_bench PRIVATE brivanta_win brivanta_standin_client)
  target_compile_definitions(word_bench PRIVATE
    BRIVANTA_WORD_STANDIN_PATH="$<TARGET_FILE:word_standin>")
  set_target_properties(word_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  add_dependencies(word_bench word_standin)
endif()

if(WIN32 AND TARGET excel_standin AND TARGET brivanta_standin_client)
  add_executable(excel_bench excel_bench.cpp)
  target_link_options(excel_bench PRIVATE -municode)
  target_include_directories(excel_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/export ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(excel_bench PRIVATE brivanta_win brivanta_standin_client)
  target_compile_definitions(excel_bench PRIVATE
    BRIVANTA_EXCEL_STANDIN_PATH="$<TARGET_FILE:excel_standin>")
  set_target_properties(excel_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  add_dependencies(excel_bench excel_standin)
endif()
