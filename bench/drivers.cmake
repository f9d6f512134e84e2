# Driver speed on a generated file of about 1 GB (made in /tmp on first use): opening with
# recognition, index and initialisation, index memory per message, reading every record with
# all its fields, and the sorted copy, each beside the plain file operation it compares with.
if(benchmark_FOUND AND TARGET vorelt_drivers AND TARGET vorelt_mkdata_lib)
  add_executable(bench_drivers ${CMAKE_CURRENT_LIST_DIR}/TarvelBench.cpp)
  target_link_libraries(bench_drivers PRIVATE vorelt_drivers vorelt_mkdata_lib
                        benchmark::benchmark_main)
endif()
