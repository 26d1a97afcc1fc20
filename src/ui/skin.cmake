# The skin archive: the pictures of src/res/skin zipped (deflate) and embedded as resource
# "BinarySystem" 103. vexra_embed_skin(target) puts the same archive into any executable (the installer,
# and test programs that unpack it).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
file(GLOB VEXRA_SKIN_PICTURES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/src/res/skin/*.png")
# Cache entries, so that test folders that embed the archive too can see them.
set(VEXRA_SKIN_ZIP "${CMAKE_BINARY_DIR}/generated/skin/Resource.zip" CACHE INTERNAL "")
set(VEXRA_SKIN_RC "${CMAKE_BINARY_DIR}/generated/skin/skin.rc" CACHE INTERNAL "")
add_custom_command(OUTPUT "${VEXRA_SKIN_ZIP}"
  COMMAND Python3::Interpreter "${CMAKE_SOURCE_DIR}/scripts/zip-files.py" "${VEXRA_SKIN_ZIP}" ${VEXRA_SKIN_PICTURES}
  DEPENDS ${VEXRA_SKIN_PICTURES} "${CMAKE_SOURCE_DIR}/scripts/zip-files.py"
  COMMENT "Zipping the skin pictures")
add_custom_target(vexra_skin_archive DEPENDS "${VEXRA_SKIN_ZIP}")
# Windows keeps named resource types in upper case and looks them up case-insensitively; windres keeps
# the case it is given, so the name is written the way the system would store it.
file(WRITE "${VEXRA_SKIN_RC}" "103 BINARYSYSTEM \"${VEXRA_SKIN_ZIP}\"\n")
set_source_files_properties("${VEXRA_SKIN_RC}" PROPERTIES OBJECT_DEPENDS "${VEXRA_SKIN_ZIP}")

function(vexra_embed_skin target)
  target_sources(${target} PRIVATE "${VEXRA_SKIN_RC}")
  add_dependencies(${target} vexra_skin_archive)
endfunction()

vexra_embed_skin(vexra_installer)
