# Math processor speed and memory: three expression fields and a grouped severity computed
# over 10 million hits of an in-memory source.
if(benchmark_FOUND AND TARGET vorelt_processing)
  add_executable(bench_math ${CMAKE_CURRENT_LIST_DIR}/MathBench.cpp)
  target_link_libraries(bench_math PRIVATE vorelt_processing benchmark::benchmark_main)
endif()
