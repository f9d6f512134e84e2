# Filter speed: the filtering processor over 10 million hits with a three-term condition, and
# the turn-off filter, whose time must grow in proportion to the number of hits.
if(benchmark_FOUND AND TARGET vorelt_processing)
  add_executable(bench_filter ${CMAKE_CURRENT_LIST_DIR}/FilterBench.cpp)
  target_link_libraries(bench_filter PRIVATE vorelt_processing benchmark::benchmark_main)
endif()
