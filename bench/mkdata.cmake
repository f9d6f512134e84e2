# Generation speed of vorelt-mkdata: the tool must write about 1 GB in a few seconds.
if(benchmark_FOUND AND TARGET vorelt_mkdata_lib)
  add_executable(bench_mkdata ${CMAKE_CURRENT_LIST_DIR}/MkdataBench.cpp)
  target_link_libraries(bench_mkdata PRIVATE vorelt_mkdata_lib benchmark::benchmark_main)
endif()
