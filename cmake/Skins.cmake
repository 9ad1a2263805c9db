# Skins: the shipped .skn files and the built-in skin are made from their texts in skins-src/
# by tools/skn/skn.py at build time, so only the texts are kept in the repository.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QV_SKN_TOOL ${CMAKE_SOURCE_DIR}/tools/skn/skn.py)

# The built-in skin "iMetal2.skn", compiled into the program as a byte array.
set(QV_BUILTIN_SKIN_SOURCE ${CMAKE_BINARY_DIR}/generated/BuiltInSkin.cpp)
add_custom_command(
  OUTPUT ${QV_BUILTIN_SKIN_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND Python3::Interpreter ${QV_SKN_TOOL} embed ${CMAKE_SOURCE_DIR}/skins-src/iMetal2.skin.txt
          ${QV_BUILTIN_SKIN_SOURCE}
  DEPENDS ${QV_SKN_TOOL} ${CMAKE_SOURCE_DIR}/skins-src/iMetal2.skin.txt
  COMMENT "Embedding the built-in skin iMetal2")
target_sources(quorvane_core PRIVATE ${QV_BUILTIN_SKIN_SOURCE})

# Skins shipped beside the program: text source -> file in dist/skins. ".skn" skins also draw
# the window frames, ".nsf.skn" skins only the controls.
set(QV_SHIPPED_SKINS "Graphite.skin.txt:Graphite.skn" "Ocean.skin.txt:Ocean.nsf.skn")
set(QV_SKIN_FILES)
foreach(entry IN LISTS QV_SHIPPED_SKINS)
  string(REPLACE ":" ";" pair ${entry})
  list(GET pair 0 text)
  list(GET pair 1 file)
  set(output ${CMAKE_BINARY_DIR}/dist/skins/${file})
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/dist/skins
    COMMAND Python3::Interpreter ${QV_SKN_TOOL} pack ${CMAKE_SOURCE_DIR}/skins-src/${text} ${output}
    DEPENDS ${QV_SKN_TOOL} ${CMAKE_SOURCE_DIR}/skins-src/${text}
    COMMENT "Making skins/${file}")
  list(APPEND QV_SKIN_FILES ${output})
endforeach()
add_custom_target(qv_skins ALL DEPENDS ${QV_SKIN_FILES})
