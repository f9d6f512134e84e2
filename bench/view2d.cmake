# Drawing a point series of ten million points (one point per pixel) against a plain loop that
# writes one pixel per point, and the zoom of all points without the records.
if(benchmark_FOUND AND TARGET vorelt_view2d)
  add_executable(bench_view2d ${CMAKE_CURRENT_LIST_DIR}/View2dBench.cpp)
  target_link_libraries(bench_view2d PRIVATE vorelt_view2d benchmark::benchmark)
endif()
