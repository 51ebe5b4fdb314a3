# Benchmarks of the Office automation against the stand-ins of tests/stats and
# tests/export: the statistics run (word_bench) and the export (excel_bench). Each finds
# its stand-in exe, which stays in the tests' build tree, through the path given here.
function(brivanta_office_bench name standin tests_dir path_define)
  if(NOT (WIN32 AND TARGET ${standin} AND TARGET brivanta_standin_client))
    return()
  endif()
  add_executable(${name} ${name}.cpp)
  target_link_options(${name} PRIVATE -municode)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/${tests_dir}
                                             ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE brivanta_win brivanta_standin_client)
  target_compile_definitions(${name} PRIVATE ${path_define}="$<TARGET_FILE:${standin}>")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  add_dependencies(${name} ${standin})
endfunction()

brivanta_office_bench(word_bench word_standin stats BRIVANTA_WORD_STANDIN_PATH)
brivanta_office_bench(excel_bench excel_standin export BRIVANTA_EXCEL_STANDIN_PATH)
