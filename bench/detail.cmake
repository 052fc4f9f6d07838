# The detail panel: one update of title, table and chart, and one selection
# by arrow key through the list, the detail view and the panel.
add_executable(detail_bench ${CMAKE_CURRENT_LIST_DIR}/detail_bench.cpp)
set_target_properties(detail_bench PROPERTIES AUTOMOC ON)
target_link_libraries(detail_bench PRIVATE ui_main poblacion_resources bench_catalogue benchmark::benchmark)
poblacion_warnings(detail_bench)
