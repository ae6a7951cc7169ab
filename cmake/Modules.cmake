# One static library per layer, built from every .cpp file in its folder, so adding a
# source file never means editing a build file.
function(zb_layer name)
  cmake_parse_arguments(L "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(srcs)
    add_library(zb_${name} STATIC ${srcs})
    target_include_directories(zb_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(zb_${name} PUBLIC ${L_DEPS} PRIVATE zb_warnings)
  else()
    add_library(zb_${name} INTERFACE)
    target_include_directories(zb_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(zb_${name} INTERFACE ${L_DEPS})
  endif()
endfunction()

# One test executable per layer from every .cpp in tests/<layer>/.
function(zb_layer_tests name)
  cmake_parse_arguments(T "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(test_${name} ${srcs})
  target_link_libraries(test_${name} PRIVATE zb_${name} ${T_DEPS} GTest::gtest GTest::gtest_main GTest::gmock
                        zb_warnings)
  target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(test_${name} PRIVATE
    ZB_TESTDATA_DIR="${ZB_TESTDATA_DIR}"
    ZB_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${name})
endfunction()
