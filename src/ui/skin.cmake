# The skin archive: the pictures of src/res/skin zipped (deflate) and embedded as resource
# "BinarySystem" 103. vexra_embed_skin(target) puts the same archive into any executable (the installer,
# and test programs that unpack it).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
file(GLOB VEXRA_SKIN_PICTURES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/src/res/skin/*.png")
set(VEXRA_SKIN_ZIP "${CMAKE_BINARY_DIR}/generated/skin/Resource.zip")
set(VEXRA_SKIN_RC "${CMAKE_BINARY_DIR}/generated/skin/skin.rc")
add_custom_command(OUTPUT "${VEXRA_SKIN_ZIP}"
  COMMAND Python3::Interpreter "${CMAKE_SOURCE_DIR}/scripts/zip-files.py" "${VEXRA_SKIN_ZIP}" ${VEXRA_SKIN_PICTURES}
  DEPENDS ${VEXRA_SKIN_PICTURES} "${CMAKE_SOURCE_DIR}/scripts/zip-files.py"
  COMMENT "Zipping the skin pictures")
add_custom_target(vexra_skin_archive DEPENDS "${VEXRA_SKIN_ZIP}")
file(WRITE "${VEXRA_SKIN_RC}" "103 BinarySystem \"${VEXRA_SKIN_ZIP}\"\n")
set_source_files_properties("${VEXRA_SKIN_RC}" PROPERTIES OBJECT_DEPENDS "${VEXRA_SKIN_ZIP}")

function(vexra_embed_skin target)
  target_sources(${target} PRIVATE "${VEXRA_SKIN_RC}")
  add_dependencies(${target} vexra_skin_archive)
endfunction()

vexra_embed_skin(vexra_installer)
