# Spartan driver speed: loading the index of a generated file and reading every record.
if(benchmark_FOUND AND TARGET vorelt_drivers AND TARGET vorelt_mkdata_lib)
  add_executable(bench_spartan ${CMAKE_CURRENT_LIST_DIR}/SpartanBench.cpp)
  target_link_libraries(bench_spartan PRIVATE vorelt_drivers vorelt_mkdata_lib
                        benchmark::benchmark_main)
endif()
