# The results benchmark: the end of a calculation, through the document and
# in the program's own main window, for generated projects of growing size.
# It carries the program's resources (templates, pictures, locale), which the
# program's own build draws first.
if(TARGET app AND TARGET Bravik)
    add_executable(bravik_results_bench results_bench.cpp ${PROJECT_SOURCE_DIR}/resources/Bravik.rc)
    target_include_directories(bravik_results_bench PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/resources
                               ${BRAVIK_PICTURES})
    add_dependencies(bravik_results_bench Bravik button_pictures)
    target_link_libraries(bravik_results_bench PRIVATE app)
    target_compile_options(bravik_results_bench PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${BRAVIK_WARNINGS}>)
endif()
