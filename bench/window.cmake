# The project window over a generated PCI file of 1 and 10 million hits (made in /tmp on first
# use): Run until every view of the page has painted, for the demo's pages, a filter with a
# table and a point graph, a histogram, a zoom and a switch to a page of outdated views, each
# against `vorelt-export` of the same views (counter ratio_to_export).
if(benchmark_FOUND AND TARGET vorelt_app AND TARGET vorelt_mkdata_lib AND TARGET vorelt-export
   AND TARGET vorelt-mkdemo)
  add_executable(bench_window ${CMAKE_CURRENT_LIST_DIR}/WindowBench.cpp)
  target_include_directories(bench_window PRIVATE ${PROJECT_SOURCE_DIR}/tests/view2d)
  target_link_libraries(bench_window PRIVATE vorelt_app vorelt_mkdata_lib benchmark::benchmark)
  target_compile_definitions(bench_window PRIVATE VORELT_EXPORT="$<TARGET_FILE:vorelt-export>"
                                                  VORELT_MKDEMO="$<TARGET_FILE:vorelt-mkdemo>")
  add_dependencies(bench_window vorelt-export vorelt-mkdemo)
endif()
