# Event building over an in-memory source: time and list bytes per hit at 1, 3 and 10 million
# hits.
if(benchmark_FOUND AND TARGET vorelt_processing)
  add_executable(bench_location ${CMAKE_CURRENT_LIST_DIR}/LocationBench.cpp)
  target_link_libraries(bench_location PRIVATE vorelt_processing benchmark::benchmark_main)
endif()
