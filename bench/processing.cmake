# Record protocol speed: a walk through a chain of pass-through processors over an in-memory
# source, in records per second.
if(benchmark_FOUND AND TARGET vorelt_processing)
  add_executable(bench_processing ${CMAKE_CURRENT_LIST_DIR}/ProcessingBench.cpp)
  target_link_libraries(bench_processing PRIVATE vorelt_processing benchmark::benchmark_main)
endif()
