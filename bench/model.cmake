# Record refill speed: drivers clear and fill records by flat position for every record read.
if(benchmark_FOUND AND TARGET vorelt_model)
  add_executable(bench_model ${CMAKE_CURRENT_LIST_DIR}/ModelBench.cpp)
  target_link_libraries(bench_model PRIVATE vorelt_model benchmark::benchmark_main)
endif()
