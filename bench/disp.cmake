# Opening a large DiSP file (index of every message) against reading it with cat.
if(benchmark_FOUND AND TARGET vorelt_drivers AND TARGET vorelt_mkdata_lib)
  add_executable(bench_disp ${CMAKE_CURRENT_LIST_DIR}/DispBench.cpp)
  target_link_libraries(bench_disp PRIVATE vorelt_drivers vorelt_mkdata_lib
                                           benchmark::benchmark_main)
endif()
