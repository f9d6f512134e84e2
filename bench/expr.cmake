# Expression evaluation speed: the math processor evaluates every calculated field per record.
if(benchmark_FOUND AND TARGET vorelt_processing)
  add_executable(bench_expr ${CMAKE_CURRENT_LIST_DIR}/ExprBench.cpp)
  target_link_libraries(bench_expr PRIVATE vorelt_processing benchmark::benchmark_main)
endif()
