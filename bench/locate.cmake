# Source location of one million events of 4 to 8 hits: planar and linear, events per second.
if(benchmark_FOUND AND TARGET vorelt_processing)
  add_executable(bench_locate ${CMAKE_CURRENT_LIST_DIR}/LocateBench.cpp)
  target_link_libraries(bench_locate PRIVATE vorelt_processing benchmark::benchmark_main)
endif()
