# Opening a 1 GB file of each stream format with `vorelt-cli info` as a whole process against
# cat of the cached file, with the peak memory per message (files made in /tmp on first use);
# exits with 1 when opening takes more than twice cat or more than 16 bytes per message.
if(benchmark_FOUND AND TARGET vorelt_mkdata_lib AND TARGET vorelt-cli)
  add_executable(bench_open ${CMAKE_CURRENT_LIST_DIR}/OpenBench.cpp)
  target_link_libraries(bench_open PRIVATE vorelt_mkdata_lib benchmark::benchmark)
  target_compile_definitions(bench_open PRIVATE VORELT_CLI="$<TARGET_FILE:vorelt-cli>")
  add_dependencies(bench_open vorelt-cli)
endif()
