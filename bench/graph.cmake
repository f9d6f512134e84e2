# Graph speed on the 10 million hit PCI file of the table benchmark (made in /tmp on first
# use): the fill of a point plot split by channel and of a 100-bin histogram through the
# database processor and one filter, with the bytes the drawn points take per hit, and the
# redraw of a 1920 x 1080 graph after a zoom without reading the records again, and the peak
# memory beyond the mapped file per hit of a histogram (exits with 1 when it grows with the
# hits) and of a point plot.
if(benchmark_FOUND AND TARGET vorelt_view2d AND TARGET vorelt_mkdata_lib)
  add_executable(bench_graph ${CMAKE_CURRENT_LIST_DIR}/GraphBench.cpp)
  target_link_libraries(bench_graph PRIVATE vorelt_view2d vorelt_mkdata_lib benchmark::benchmark)
endif()
