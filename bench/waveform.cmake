# Features of every waveform of a generated transient database of 100,000 records of 2048
# samples, stored raw and FLAC-compressed (target: at least 20,000 waveforms per second).
if(benchmark_FOUND AND TARGET vorelt_processing AND TARGET vorelt_mkdata_lib)
  add_executable(bench_waveform ${CMAKE_CURRENT_LIST_DIR}/WaveformBench.cpp)
  target_link_libraries(bench_waveform PRIVATE vorelt_processing vorelt_drivers vorelt_mkdata_lib
                        benchmark::benchmark_main)
endif()

# Opening the waveform window on a hit of a generated Vallen file of 100,000 hits with FLAC
# waveforms of 2048 samples, from the read to the painted window (target: under 100 ms).
if(benchmark_FOUND AND TARGET vorelt_view2d AND TARGET vorelt_mkdata_lib)
  add_executable(bench_waveform_window ${CMAKE_CURRENT_LIST_DIR}/WaveformWindowBench.cpp)
  target_link_libraries(bench_waveform_window PRIVATE vorelt_view2d vorelt_mkdata_lib
                        benchmark::benchmark)
endif()
