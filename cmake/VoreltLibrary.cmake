# The layering of the libraries is declared here once. A library links every library listed
# before it in its own row and nothing else, so an upward dependency cannot compile.
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

set(VORELT_CORE_LIBS persist model drivers testprog processing project)
set(VORELT_QT_LIBS view2d view3d app)

function(vorelt_allowed_deps name out)
  foreach(row IN LISTS VORELT_LAYERS)
    string(FIND "${row}" ":" pos)
    string(SUBSTRING "${row}" 0 ${pos} lib)
    if(lib STREQUAL name)
      math(EXPR pos "${pos} + 1")
      string(SUBSTRING "${row}" ${pos} -1 deps)
      string(REPLACE "," ";" deps "${deps}")
      set(${out} "${deps}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "vorelt library '${name}' is not declared in VORELT_LAYERS")
endfunction()

# vorelt_library(name [EXTERNAL libs...]): a static library vorelt_<name> of every .cpp file in
# the calling folder and its subfolders, linked to the lower layers that exist.
function(vorelt_library name)
  cmake_parse_arguments(ARG "" "" "EXTERNAL" ${ARGN})
  vorelt_allowed_deps(${name} allowed)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  add_library(vorelt_${name} STATIC ${sources})
  target_include_directories(vorelt_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  foreach(dep IN LISTS allowed)
    if(TARGET vorelt_${dep})
      target_link_libraries(vorelt_${name} PUBLIC vorelt_${dep})
    endif()
  endforeach()
  if(ARG_EXTERNAL)
    target_link_libraries(vorelt_${name} PUBLIC ${ARG_EXTERNAL})
  endif()
endfunction()
