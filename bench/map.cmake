# The map window's speed, with the whole of Spain converted from the
# boundaries in data/ (where the map converter is built: it needs nlohmann-json).
set(ES_ATLAS ${CMAKE_SOURCE_DIR}/data/es-atlas-municipalities.json)
set(SPAIN_MAP ${CMAKE_CURRENT_BINARY_DIR}/espana.mapa)
add_executable(map_bench map_bench.cpp)
target_link_libraries(map_bench PRIVATE ui_map poblacion_resources poblacion_map_resource)
target_compile_definitions(map_bench PRIVATE SPAIN_MAP="${SPAIN_MAP}")
poblacion_warnings(map_bench)
if(TARGET poblacion-mapconvert)
  add_custom_command(OUTPUT ${SPAIN_MAP}
    COMMAND poblacion-mapconvert --espana ${ES_ATLAS} ${SPAIN_MAP}
    DEPENDS poblacion-mapconvert ${ES_ATLAS}
    COMMENT "Converting the municipalities of Spain for map_bench")
  add_custom_target(spain_map DEPENDS ${SPAIN_MAP})
  add_dependencies(map_bench spain_map)
endif()
