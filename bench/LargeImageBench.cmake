# The large-picture part of the benchmark: LargeBitmapSaver straight to disk against a render
# into memory, one program per build variant.
foreach(V ${ZORB_VARIANTS})
    add_executable(zorb_bench_large_${V} ${CMAKE_CURRENT_LIST_DIR}/LargeImageBench.cpp)
    target_link_libraries(zorb_bench_large_${V} PRIVATE zorb_app_${V} psapi)
    set_target_properties(zorb_bench_large_${V} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endforeach()
