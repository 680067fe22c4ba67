# The Japanese-text judge on any characters, edges and encoding: the span
# it keeps lies inside the row and holds a Japanese character.
loom_fuzz_target(japanese_judge_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/japanese_judge_fuzz.cpp
          ${CMAKE_SOURCE_DIR}/app/japanese/judge.cpp ${CMAKE_BINARY_DIR}/generated/japanese_model.cpp
  INCLUDES ${CMAKE_SOURCE_DIR}/app
  SEEDS ${CMAKE_CURRENT_LIST_DIR}/seeds/japanese_judge
  SECONDS 5)
add_dependencies(japanese_judge_fuzz_replay japanese_model)
if(TARGET japanese_judge_fuzz)
  add_dependencies(japanese_judge_fuzz japanese_model)
endif()
