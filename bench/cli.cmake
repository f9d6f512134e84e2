# Text output of vorelt-cli: `dump` with every field of a generated 2-million-hit file beside
# `info` of the same file, and `info` of a 1 GB file as a whole process beside cat.
if(benchmark_FOUND AND TARGET vorelt_cli_lib AND TARGET vorelt_mkdata_lib AND TARGET vorelt-cli)
  add_executable(bench_cli ${CMAKE_CURRENT_LIST_DIR}/CliBench.cpp)
  target_link_libraries(bench_cli PRIVATE vorelt_cli_lib vorelt_mkdata_lib
                                          benchmark::benchmark_main)
  target_compile_definitions(bench_cli PRIVATE VORELT_CLI="$<TARGET_FILE:vorelt-cli>")
  add_dependencies(bench_cli vorelt-cli)
endif()
