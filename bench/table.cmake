# Table speed on a generated PCI file of 10 million hits (made in /tmp on first use):
# activation to the first painted page with the row-list memory per row, painting one screen
# after a page-down and after a jump to the end, a search that matches only the last row, and
# the CSV export beside `vorelt-cli dump` of the same records and fields.
if(benchmark_FOUND AND TARGET vorelt_view2d AND TARGET vorelt_mkdata_lib AND TARGET vorelt-cli)
  add_executable(bench_table ${CMAKE_CURRENT_LIST_DIR}/TableBench.cpp)
  target_link_libraries(bench_table PRIVATE vorelt_view2d vorelt_mkdata_lib benchmark::benchmark)
  target_compile_definitions(bench_table PRIVATE VORELT_CLI="$<TARGET_FILE:vorelt-cli>")
  add_dependencies(bench_table vorelt-cli)
endif()
