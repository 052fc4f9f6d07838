# The comparison window's chart: ten units redrawn. compare_redraw is a
# library so that a benchmark reporting other figures (export_bench) can give
# the same median: link bench_compare_redraw, call
# bench::compareRedrawMedianMilliseconds().
add_library(bench_compare_redraw STATIC ${CMAKE_CURRENT_LIST_DIR}/compare_redraw.cpp ${CMAKE_CURRENT_LIST_DIR}/compare_redraw.h)
target_include_directories(bench_compare_redraw PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(bench_compare_redraw PUBLIC ui_compare)
poblacion_warnings(bench_compare_redraw)

add_executable(compare_bench ${CMAKE_CURRENT_LIST_DIR}/compare_bench.cpp)
target_link_libraries(compare_bench PRIVATE bench_compare_redraw benchmark::benchmark)
poblacion_warnings(compare_bench)
