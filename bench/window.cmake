# The main window on a catalogue of the shipped size: creation, one search and
# listing every unit; and the time from process start to the first paint.
add_executable(window_bench ${CMAKE_CURRENT_LIST_DIR}/window_bench.cpp)
target_link_libraries(window_bench PRIVATE ui_main poblacion_resources bench_catalogue benchmark::benchmark)
poblacion_warnings(window_bench)

add_executable(window_startup ${CMAKE_CURRENT_LIST_DIR}/window_startup.cpp)
target_link_libraries(window_startup PRIVATE ui_main poblacion_resources Qt6::Widgets)
poblacion_warnings(window_startup)
