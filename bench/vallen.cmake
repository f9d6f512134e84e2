# Reading a Vallen database: the driver's Load against a plain sqlite3_step loop over the same
# columns of the same generated file (target: at least 80 % of the plain loop's rows per second).
if(benchmark_FOUND AND TARGET vorelt_drivers AND TARGET vorelt_mkdata_lib)
  add_executable(bench_vallen ${CMAKE_CURRENT_LIST_DIR}/VallenBench.cpp)
  target_link_libraries(bench_vallen PRIVATE vorelt_drivers vorelt_mkdata_lib
                        benchmark::benchmark_main)
endif()
