# The main window on the generated catalogue of scale 1 and on the one the
# program carries: creation, one search and listing every unit; and the time
# from process start to the first paint.
add_executable(window_bench ${CMAKE_CURRENT_LIST_DIR}/window_bench.cpp)
target_link_libraries(window_bench PRIVATE ui_main poblacion_resources bench_catalogue benchmark::benchmark)
poblacion_warnings(window_bench)

add_executable(window_startup ${CMAKE_CURRENT_LIST_DIR}/window_startup.cpp ${CMAKE_CURRENT_LIST_DIR}/first_paint.h)
target_link_libraries(window_startup PRIVATE ui_workspace ui_main poblacion_resources poblacion_map_resource Qt6::Widgets)
poblacion_warnings(window_startup)

# The floor of the program's start-up: a bare Qt window of the main window's
# size, launched side by side with window_startup by startup.py.
add_executable(empty_window_startup ${CMAKE_CURRENT_LIST_DIR}/empty_window_startup.cpp ${CMAKE_CURRENT_LIST_DIR}/first_paint.h)
target_link_libraries(empty_window_startup PRIVATE Qt6::Widgets)
poblacion_warnings(empty_window_startup)

# The first search of a fresh main window on the embedded catalogue.
find_package(Qt6 REQUIRED COMPONENTS Test)
add_executable(first_search_bench ${CMAKE_CURRENT_LIST_DIR}/first_search_bench.cpp)
target_link_libraries(first_search_bench PRIVATE ui_main poblacion_resources Qt6::Test benchmark::benchmark)
poblacion_warnings(first_search_bench)
