# The layering of the libraries is declared here once. A library may only link the libraries
# listed before it in its own row; vorelt_library() refuses anything else, so an upward
# dependency fails at configure time instead of creeping in.
set(VORELT_LAYERS
  "persist:"
  "model:persist"
  "drivers:model,persist"
  "testprog:model,persist"
  "processing:drivers,testprog,model,persist"
  "project:processing,drivers,testprog,model,persist"
  "view2d:project,processing,drivers,testprog,model,persist"
  "view3d:view2d,project,processing,drivers,testprog,model,persist"
  "app:view3d,view2d,project,processing,drivers,testprog,model,persist")

set(VORELT_QT_LIBS view2d view3d app)

function(vorelt_allowed_deps name out)
  foreach(row IN LISTS VORELT_LAYERS)
    string(REPLACE ":" ";" parts "${row}")
    list(GET parts 0 lib)
    if(lib STREQUAL name)
      string(FIND "${row}" ":" pos)
      math(EXPR pos "${pos} + 1")
      string(SUBSTRING "${row}" ${pos} -1 deps)
      string(REPLACE "," ";" deps "${deps}")
      set(${out} "${deps}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "vorelt library '${name}' is not declared in VORELT_LAYERS")
endfunction()

# vorelt_library(name SOURCES ... DEPS ... [EXTERNAL ...])
function(vorelt_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;EXTERNAL" ${ARGN})
  vorelt_allowed_deps(${name} allowed)
  foreach(dep IN LISTS ARG_DEPS)
    if(NOT dep IN_LIST allowed)
      message(FATAL_ERROR "vorelt_${name} may not depend on vorelt_${dep}")
    endif()
  endforeach()
  add_library(vorelt_${name} STATIC ${ARG_SOURCES})
  target_include_directories(vorelt_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  foreach(dep IN LISTS ARG_DEPS)
    target_link_libraries(vorelt_${name} PUBLIC vorelt_${dep})
  endforeach()
  if(ARG_EXTERNAL)
    target_link_libraries(vorelt_${name} PUBLIC ${ARG_EXTERNAL})
  endif()
  if(NOT name IN_LIST VORELT_QT_LIBS)
    # The core never sees Qt: keep its include paths out of reach.
    target_compile_definitions(vorelt_${name} PUBLIC VORELT_CORE_NO_QT=1)
  endif()
endfunction()
